#include "cli/terminal_progress.hpp"

#include <csignal>
#include <cstdio>

#include <unistd.h>

namespace vq::cli {
namespace {

std::atomic<bool> g_interrupted{false};
// The first Ctrl+C asks the job to stop after the frame under way; a second one ends the
// program at once.
extern "C" void on_interrupt(int) {
  g_interrupted = true;
  std::signal(SIGINT, SIG_DFL);
}

}  // namespace

TerminalProgress::TerminalProgress(bool allow_cancel) : tty_(::isatty(STDERR_FILENO) == 1), allow_cancel_(allow_cancel) {
  g_interrupted = false;
  if (allow_cancel_) std::signal(SIGINT, on_interrupt);
}

TerminalProgress::~TerminalProgress() {
  finish();
  if (allow_cancel_) std::signal(SIGINT, SIG_DFL);
}

void TerminalProgress::percent(int value) {
  if (value == percent_) return;
  // The gauge's rest at 0 after a finished job is no new bar.
  const bool rest = value == 0 && percent_ > 0;
  percent_ = value;
  if (rest) {
    finish();
    return;
  }
  if (tty_) draw();
}

void TerminalProgress::status(std::string_view text) {
  if (text.empty() || text == last_status_) return;
  last_status_ = text;
  if (bar_shown_) std::fputs("\r\033[K", stderr);
  std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data());
  bar_shown_ = false;
  if (tty_ && percent_ > 0) draw();
}

bool TerminalProgress::cancelled() const {
  if (!allow_cancel_ || !g_interrupted.load()) return false;
  if (!cancel_told_) {  // heard at once, before the job has stopped
    cancel_told_ = true;
    if (bar_shown_) std::fputs("\r\033[K", stderr);
    bar_shown_ = false;
    std::fputs("Прерывание: обмен остановится после текущего кадра (Ctrl+C ещё раз - выход сразу)\n", stderr);
  }
  return true;
}

void TerminalProgress::draw() {
  constexpr int kWidth = 40;
  const int filled = percent_ * kWidth / 100;
  std::fputs("\r\033[K[", stderr);
  for (int i = 0; i < kWidth; ++i) std::fputc(i < filled ? '#' : '.', stderr);
  std::fprintf(stderr, "] %3d%%", percent_);
  std::fflush(stderr);
  bar_shown_ = true;
}

void TerminalProgress::finish() {
  if (bar_shown_) std::fputs("\r\033[K", stderr);
  bar_shown_ = false;
}

}  // namespace vq::cli
