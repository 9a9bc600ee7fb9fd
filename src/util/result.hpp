#pragma once
// Success or the failure's text: no exception crosses the core API.
#include <expected>
#include <string>
#include <utility>

namespace vq {

struct Error {
  int code = 0;          // operation-specific result code (e.g. FindSystem's 1..4); 0 = unspecified
  int message_id = 0;    // message table id of `text` when it came from the table, else 0
  std::string text;      // what the user reads
  std::string detail;    // the underlying reason, when `text` is a summary

  // One line for logs and the command line.
  std::string full() const { return detail.empty() ? text : text + " (" + detail + ")"; }
};

template <class T = void>
using Result = std::expected<T, Error>;

inline std::unexpected<Error> fail(std::string text, int code = 0) {
  return std::unexpected(Error{code, 0, std::move(text), {}});
}

inline std::unexpected<Error> fail(Error e) { return std::unexpected(std::move(e)); }

}  // namespace vq
