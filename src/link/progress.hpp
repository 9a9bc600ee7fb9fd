#pragma once
// Progress of a long operation: the gauge (0..100), a status text, and the cancel flag
// that the operation checks between frames.
#include <atomic>  // for the flags the sinks keep
#include <string>
#include <string_view>

#include "util/result.hpp"

namespace vq::link {

class Progress {
 public:
  virtual ~Progress() = default;
  virtual void percent(int value) = 0;
  virtual void status(std::string_view) {}
  virtual bool cancelled() const { return false; }
};

inline constexpr std::string_view kTextCancelled = "Операция прервана пользователем";

// The one cancel check of every long job: before each frame exchange it may still skip.
inline Result<> check_cancel(const Progress* progress) {
  if (progress && progress->cancelled()) return fail(std::string(kTextCancelled));
  return {};
}

inline bool is_cancel(const Error& e) { return e.text == kTextCancelled; }

}  // namespace vq::link
