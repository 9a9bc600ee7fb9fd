#pragma once
// "Привязки реле" (TQMRIntegForm): the partitions the relays of one relay module are bound
// to. The lists offer "-" and the technological partitions; a number typed in stands.
// Relays 3 and 4 are not shown and keep what they hold. A value in, a value out.
#include <QDialog>
#include <array>
#include <optional>
#include <vector>

#include "settings/partitions.hpp"

class QComboBox;
class QLabel;

namespace vq::gui {

using RelayBindings = std::array<int, settings::kRelaysPerModule>;

class TQMRIntegForm : public QDialog {
  Q_OBJECT
 public:
  TQMRIntegForm(int module, const RelayBindings& stored, const std::vector<int>& technical, QWidget* parent = nullptr);

  // The bindings as the lists hold them; nothing when a shown list's text is neither "-"
  // nor a partition number 0..96 (the refusal text in `error`).
  std::optional<RelayBindings> value(QString* error = nullptr) const;
  // Refuses a list text that is not a partition number, and stays open.
  void accept() override;

 private:
  RelayBindings stored_;
  QLabel* number_label_ = nullptr;                            // MRNumLabel
  std::array<QComboBox*, settings::kRelaysPerModule> lists_{};  // Rele1CmB .. Rele4CmB
};

// Runs the dialog for the module shown as `module`; the four bindings on "Сохранить".
std::optional<RelayBindings> edit_relay_bindings(QWidget* parent, int module, const RelayBindings& stored,
                                                 const std::vector<int>& technical);

}  // namespace vq::gui
