#pragma once
// The diagnostic log: exchanges append the lines of their frames here.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vq::link {

class Trace {
 public:
  virtual ~Trace() = default;
  virtual void line(std::string_view text) = 0;
};

class VectorTrace final : public Trace {
 public:
  void line(std::string_view text) override { lines.emplace_back(text); }
  std::vector<std::string> lines;
};

// "0x%x": convention A, one line per byte.
std::string hex_line(std::uint8_t b);
// "TxRxBuffer[%d] - %x": convention B, one line per byte.
std::string buffer_line(std::size_t index, std::uint8_t b);

// Every line to `a` and, when there is one, to `b` as well (a window's log and a --trace file).
class TeeTrace final : public Trace {
 public:
  TeeTrace(Trace& a, Trace* b) : a_(a), b_(b) {}
  void line(std::string_view text) override {
    a_.line(text);
    if (b_) b_->line(text);
  }

 private:
  Trace& a_;
  Trace* b_;
};

// Null-safe helpers so exchanges can take an optional trace.
inline void trace_line(Trace* t, std::string_view text) {
  if (t) t->line(text);
}

}  // namespace vq::link

namespace vq::link {

// Lines appended to a file as they come, so a trace survives a crash mid-exchange. A line
// that cannot be written (a full disk) is remembered: the trace is then not ok() and
// failure() says why, so the caller can report it instead of leaving a short file.
class FileTrace final : public Trace {
 public:
  explicit FileTrace(const std::string& path);
  FileTrace(const FileTrace&) = delete;
  FileTrace& operator=(const FileTrace&) = delete;
  ~FileTrace() override;
  bool ok() const { return error_ == 0; }
  // "Не удалось открыть|записать файл журнала обмена <path>: <reason>"; empty while ok().
  std::string failure() const;
  void line(std::string_view text) override;

 private:
  std::string path_;
  int fd_ = -1;
  int error_ = 0;
  bool opened_ = false;
};

}  // namespace vq::link
