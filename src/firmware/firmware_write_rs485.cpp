#include "firmware/firmware_write_rs485.hpp"

#include <cstdio>

#include "firmware/file_checks.hpp"
#include "firmware/firmware_write.hpp"
#include "link/rs485/frame.hpp"
#include "shell/messages.hpp"

namespace vq::firmware {
namespace {

namespace rs = link::rs485;
constexpr int kAttempts = 3;

void status(link::Progress* p, int id) {
  if (p) p->status(shell::msg(id));
}

template <class F>
Result<> with_attempts(F&& send) {
  Result<> last;
  for (int i = 0; i < kAttempts; ++i)
    if ((last = send())) return last;
  return last;
}

}  // namespace

Result<ConnectedDevice> connect_rs485(rs::Rs485Session& s, link::Progress* progress) {
  status(progress, 15036);
  s.pacing.wait(std::chrono::milliseconds(250));
  status(progress, 15037);
  auto found = rs::FindSystem485(s);
  if (!found) {
    status(progress, 15043);
    return fail(Error{0, 15043, shell::msg(15043), found.error().full()});
  }
  status(progress, 15040);
  link::SystemInfo info{found->device_type, found->platform, {found->version[0], found->version[1], found->version[2]}};
  return ConnectedDevice{info, shell::msg(15044),
                         std::to_string(found->version[1]) + "." + std::to_string(found->version[2]), "526*.tsk"};
}

Bytes rs485_blocks(ByteView file, Bytes& header) {
  const std::size_t blocks = (file.size() + rs::kBlockSize - 1) / rs::kBlockSize;
  Bytes buffer(blocks * rs::kBlockSize, 0);
  std::copy(file.begin(), file.end(), buffer.begin());
  header.assign(rs::kHeaderSize, 0);
  const std::size_t head = std::min(rs::kHeaderSize, buffer.size());
  std::copy_n(buffer.begin(), head, header.begin());
  // The rest moves up by the header's length; the count stays that of the whole file.
  buffer.erase(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(head));
  buffer.resize(blocks * rs::kBlockSize, 0);
  return buffer;
}

Result<> write_rs485(rs::Rs485Session& s, const std::filesystem::path& file, link::Progress* progress) {
  auto read = read_firmware_file(file, FirmwareLink::rs485);
  if (!read) return std::unexpected(read.error());
  const Bytes& bytes = *read;

  auto target = rs::ScenarioControl485(s, rs::kScenarioFirmware);
  if (!target) return fail(Error{0, 15056, shell::msg(15056), target.error().full()});
  char line[48];
  std::snprintf(line, sizeof line, "numTable - 0x%04X", static_cast<unsigned>(target->table));
  link::trace_line(s.trace, line);
  std::snprintf(line, sizeof line, "addr - 0x%08X", static_cast<unsigned>(target->address));
  link::trace_line(s.trace, line);
  std::snprintf(line, sizeof line, "lenTabl - 0x%08X", static_cast<unsigned>(target->length));
  link::trace_line(s.trace, line);

  status(progress, 15048);
  Bytes header;
  const Bytes blocks = rs485_blocks(bytes, header);
  const std::size_t count = blocks.size() / rs::kBlockSize;
  if (count + 1 > 0xFFFF) return fail("Файл ПО слишком велик: " + file.string());
  status(progress, 15049);
  if (progress) {
    progress->percent(0);
    if (auto c = link::check_cancel(progress); !c) return std::unexpected(c.error());
  }

  auto announced = with_attempts(
      [&] { return rs::WriteInitTable485(s, target->table, target->address, static_cast<std::uint16_t>(count + 1), header); });
  if (!announced) return fail(Error{0, 15055, shell::msg(15055), announced.error().full()});
  for (std::size_t j = 0; j < count; ++j) {
    const auto first = static_cast<std::uint32_t>(j * rs::kBlockSize);
    auto sent = with_attempts([&] {
      return rs::WriteTableData485(s, static_cast<std::uint16_t>(j + 1), first,
                                   first + static_cast<std::uint32_t>(rs::kBlockSize), blocks);
    });
    if (!sent)
      return fail(Error{0, 15055, shell::msg(15055), "блок " + std::to_string(j + 1) + ": " + sent.error().full()});
    if (progress) progress->percent(static_cast<int>(j * 100 / count));
  }
  if (progress) {
    progress->percent(100);
    progress->status(shell::msg(15053));
    progress->percent(0);
  }
  return {};
}

}  // namespace vq::firmware
