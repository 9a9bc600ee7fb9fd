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

// Null-safe helpers so exchanges can take an optional trace.
inline void trace_line(Trace* t, std::string_view text) {
  if (t) t->line(text);
}

}  // namespace vq::link

#include <fstream>

namespace vq::link {

// Lines appended to a file as they come, so a trace survives a crash mid-exchange.
class FileTrace final : public Trace {
 public:
  explicit FileTrace(const std::string& path) : out_(path, std::ios::out | std::ios::trunc) {}
  bool ok() const { return out_.good(); }
  void line(std::string_view text) override { out_ << text << '\n' << std::flush; }

 private:
  std::ofstream out_;
};

}  // namespace vq::link
