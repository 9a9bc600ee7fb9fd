#include "firmware/firmware_write.hpp"

#include "firmware/file_checks.hpp"
#include "link/table_commands.hpp"
#include "shell/file_kind.hpp"
#include "util/atomic_file.hpp"
#include "shell/messages.hpp"

namespace vq::firmware {
namespace {

// Lets the operation see a cancel at its first look only, i.e. before the first block.
class CancelBeforeFirstBlock final : public link::Progress {
 public:
  explicit CancelBeforeFirstBlock(link::Progress* inner) : inner_(inner) {}
  void percent(int v) override {
    if (inner_) inner_->percent(v);
  }
  void status(std::string_view t) override {
    if (inner_) inner_->status(t);
  }
  bool cancelled() const override {
    if (looked_) return false;
    looked_ = true;
    return inner_ && inner_->cancelled();
  }

 private:
  link::Progress* inner_;
  mutable bool looked_ = false;
};

}  // namespace

Result<Bytes> read_firmware_file(const std::filesystem::path& file, FirmwareLink over) {
  // Looked at before opening: opening a FIFO for reading waits for a writer.
  if (auto regular = shell::check_regular_file(file, "файл ПО"); !regular) return std::unexpected(regular.error());
  const auto limits = image_size_limits(over);
  auto bytes = read_whole_file(file, "файл ПО", limits.max, "Файл ПО " + file.string() + " не подходит: ");
  return bytes;
}

namespace {
}  // namespace

Result<ConnectedDevice> connect_usb(link::Session& s, link::Progress* progress) {
  auto found = link::connect_panel(s, link::SearchKind::byte_wise, progress);
  if (!found) {
    Error e = found.error();
    if (e.message_id == 15083) {  // this window's own text for a failed search
      e.message_id = 15043;
      e.text = shell::msg(15043);
    }
    return fail(e);
  }
  ConnectedDevice d{*found, link::device_name(*found), {}, {}};
  const auto& v = found->version;
  if (found->device_type == link::kDevicePanel) {
    d.version_text = std::to_string(v[0]) + "." + std::to_string(v[1]) + "." + std::to_string(v[2]);
    d.mask = "630M*.tsk";
  } else if (found->device_type == link::kDeviceGsm) {
    d.version_text = std::to_string(v[1]) + "." + std::to_string(v[2]);
    d.mask = "517*.tsk";
  }
  return d;
}

Bytes padded_image(ByteView file, std::size_t block) {
  Bytes image(file.begin(), file.end());
  if (const auto rest = image.size() % block) image.resize(image.size() + block - rest, 0);
  return image;
}

Result<> write_usb(link::Session& s, const std::filesystem::path& file, link::Progress* progress) {
  struct CloseAtEnd {
    link::DeviceLink& link;
    ~CloseAtEnd() { link.close(); }
  } close_at_end{s.link};

  // The file is read before anything is sent: a vanished file never half-starts a transfer.
  auto bytes = read_firmware_file(file, FirmwareLink::usb);
  if (!bytes) return std::unexpected(bytes.error());
  if (auto sc = link::ScenarioControl(s, 4); !sc)
    return fail(Error{0, 15054, shell::msg(15054), sc.error().full()});
  if (progress) progress->status(shell::msg(15048));
  const Bytes image = padded_image(*bytes, kUsbFirmwareBlock);
  if (progress) {
    progress->status(shell::msg(15049));
    progress->percent(0);
  }
  CancelBeforeFirstBlock guarded(progress);
  if (auto w = link::WriteTable(s, image, 0, 0, &guarded); !w)
    return fail(Error{0, 15054, shell::msg(15054), w.error().full()});
  if (progress) {
    progress->percent(100);
    progress->status(shell::msg(15053));
    progress->percent(0);
  }
  return {};
}

}  // namespace vq::firmware
