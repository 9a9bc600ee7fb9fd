#pragma once
// Progress on a terminal: status texts as lines, the gauge as a bar that redraws in place
// (only when stderr is a terminal), moved by the operation's frames. Ctrl+C asks the
// operation to stop between frames and says so at once; a second Ctrl+C ends the program.
#include <atomic>
#include <string>

#include "link/progress.hpp"

namespace vq::cli {

class TerminalProgress final : public link::Progress {
 public:
  explicit TerminalProgress(bool allow_cancel = true);
  ~TerminalProgress() override;

  void percent(int value) override;
  void status(std::string_view text) override;
  bool cancelled() const override;
  void finish();

 private:
  void draw();

  bool tty_;
  bool allow_cancel_;
  int percent_ = -1;
  mutable bool bar_shown_ = false;
  mutable bool cancel_told_ = false;
  std::string last_status_;
};

}  // namespace vq::cli
