#pragma once
// "Наименование раздела" (TQNameRzdForm): a name for one partition, chosen from the
// panel's list or typed under "пользовательское название". A value in, a value out; the
// name is checked as the names table will take it before the dialog closes.
#include <QDialog>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;

namespace vq::gui {

class TQNameRzdForm : public QDialog {
  Q_OBJECT
 public:
  TQNameRzdForm(int partition, const QString& name, QWidget* parent = nullptr);

  // The list entry's text, or the typed name when "пользовательское название" is chosen.
  QString value() const;
  // Refuses an empty name, a name of more than 8 bytes or with characters the panel's code
  // page lacks, and stays open.
  void accept() override;

 private:
  bool typed_chosen() const;
  void NameRzdCmBChange();

  int partition_;
  QLabel* number_label_ = nullptr;  // RzdNumLabel
  QComboBox* names_ = nullptr;      // NameRzdCmB
  QLineEdit* typed_ = nullptr;      // NameRzdEdit
};

// Runs the dialog for partition p showing its current name; the name on "Сохранить".
std::optional<QString> edit_partition_name(QWidget* parent, int partition, const QString& name);

}  // namespace vq::gui
