#pragma once
// One working page of the settings window. A page decodes the configuration into its
// controls (show_from), encodes them back on "Сохранить изменения" (apply_to, which may
// refuse), and tells the window when the user changed something (edited). A page never
// keeps a pointer to the configuration: the window makes a new one on every visit, so a
// dialog that writes at once asks the host for it at that moment.
#include <QWidget>

#include "util/result.hpp"

namespace vq::memory {
class Configuration;
}

namespace vq::gui {

// What the window lends its pages.
class PageHost {
 public:
  virtual ~PageHost() = default;
  // The images the window holds now; null while it holds none (between visits).
  virtual memory::Configuration* configuration() = 0;
  // "Демо" chosen (some dialogs offer less without a panel).
  virtual bool demo_mode() const = 0;
  // The images are demo contents, not a successful read of the connected panel (the
  // recipient pages then offer every communicator).
  virtual bool demo_configuration() const { return demo_mode(); }
};

class SettingsPage : public QWidget {
  Q_OBJECT
 public:
  explicit SettingsPage(PageHost& host, QWidget* parent = nullptr) : QWidget(parent), host_(host) {}
  ~SettingsPage() override;

  // Images to controls; runs on every visit of the page's node.
  virtual void show_from(const memory::Configuration& config) = 0;
  // Controls to images on "Сохранить изменения". A refusal changes no byte and its text
  // is shown instead of the success message.
  virtual Result<> apply_to(memory::Configuration& config) {
    (void)config;
    return {};
  }
  // Whether the page has anything for "Сохранить изменения" to store.
  virtual bool has_apply() const { return false; }
  // The window switched between "Демо" and "Онлайн".
  virtual void mode_changed(bool demo) { (void)demo; }

 signals:
  // The user changed a control, or a dialog stored into the configuration.
  void edited();

 protected:
  PageHost& host() const { return host_; }
  // Shows the page again from the window's configuration (after a dialog wrote to it).
  void reshow() {
    if (auto* c = host_.configuration()) show_from(*c);
  }
  // While a page fills its controls their change signals are not edits.
  bool filling() const { return filling_ > 0; }
  class Filling {
   public:
    explicit Filling(SettingsPage& p) : p_(p) { ++p_.filling_; }
    ~Filling() { --p_.filling_; }
    Filling(const Filling&) = delete;
    Filling& operator=(const Filling&) = delete;

   private:
    SettingsPage& p_;
  };
  // Emits edited() unless the page is filling its controls.
  void note_edit() {
    if (!filling()) emit edited();
  }
  // Runs a confirmed dialog's core operation on the window's configuration at once. A
  // refusal is shown and changes nothing; a success is an edit, and the page shows the
  // stored state. False when refused or when the window holds no configuration.
  template <class Operation>
  bool store(Operation&& operation) {
    auto* c = host_.configuration();
    return c && stored(operation(*c));
  }
  // The outcome half of store().
  bool stored(const Result<>& outcome);

 private:
  PageHost& host_;
  int filling_ = 0;
};

}  // namespace vq::gui
