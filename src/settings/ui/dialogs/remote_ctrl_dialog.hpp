#pragma once
// "Настройки дистанционного управления" (TQRemoteCtrlForm): the password of one remote
// control record, the telephone number it is accepted from, the user it acts for and the
// commands it allows. A value in, a value out: its value goes to
// settings::save_remote_record.
#include <QDialog>
#include <optional>
#include <vector>

#include "settings/remote_control.hpp"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace vq::gui {

class TQRemoteCtrlForm : public QDialog {
  Q_OBJECT
 public:
  TQRemoteCtrlForm(const settings::RemoteRecord& stored, const std::vector<int>& users, QWidget* parent = nullptr);

  // What "Сохранить" stores, as the controls hold it.
  settings::RemoteRecordEdit value() const;
  // Button1Click: refuses what cannot be stored (message 15277 when arming or disarming
  // has no user), focuses the control at fault and stays open.
  void accept() override;

  void PwdMaskEditChange();
  void TelNumChBClick();
  void TelNumMaskEditChange();
  void TelNumMaskEditExit();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void refuse(QWidget* at, const Error& error);

  QLineEdit* password_ = nullptr;    // PwdMaskEdit
  QCheckBox* has_phone_ = nullptr;   // TelNumChB
  QLineEdit* phone_ = nullptr;       // TelNumMaskEdit
  QComboBox* user_ = nullptr;        // UserNumCmB
  QTreeWidget* commands_ = nullptr;  // CmdListView
  QPushButton* save_ = nullptr;      // Button1 "Сохранить"
};

// Runs the dialog for one record; its value when "Сохранить" closed it.
std::optional<settings::RemoteRecordEdit> edit_remote_record(QWidget* parent, const settings::RemoteRecord& stored,
                                                             const std::vector<int>& users);

}  // namespace vq::gui
