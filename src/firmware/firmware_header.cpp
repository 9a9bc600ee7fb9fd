#include "firmware/firmware_header.hpp"

#include <sys/stat.h>

#include <fstream>

#include "link/system_search.hpp"

namespace vq::firmware {

Result<FirmwareHeader> parse_header(ByteView bytes, const std::string& file_name) {
  if (bytes.size() < kHeaderSize) {
    return fail(Error{kHeaderShort, 0,
                      "Файл ПО короче заголовка (" + std::to_string(kHeaderSize) + " байт): " + file_name,
                      "прочитано байт: " + std::to_string(bytes.size())});
  }
  FirmwareHeader h;
  h.device_type = get_u16(bytes, 0);
  h.platform = get_u16(bytes, 2);
  h.version = {bytes[4], bytes[5], bytes[6]};
  return h;
}

Result<FirmwareHeader> read_header(const std::filesystem::path& file) {
  const std::string name = file.string();
  // A FIFO or a device would block the read (or never end): only a regular file is read.
  struct stat st {};
  if (::stat(file.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
    return fail(Error{kHeaderUnreadable, 0, "Не удалось открыть файл ПО: " + name,
                      S_ISDIR(st.st_mode) ? "это папка" : "это не обычный файл (канал, сокет или устройство)"});
  }
  std::ifstream in(file, std::ios::binary);
  if (!in) return fail(Error{kHeaderUnreadable, 0, "Не удалось открыть файл ПО: " + name, {}});
  Bytes head(kHeaderSize);
  in.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(head.size()));
  if (in.bad()) return fail(Error{kHeaderUnreadable, 0, "Не удалось прочитать файл ПО: " + name, {}});
  head.resize(static_cast<std::size_t>(in.gcount()));
  return parse_header(head, name);
}

std::string full_version_text(const FirmwareHeader& h) {
  return std::to_string(h.version[0]) + "." + std::to_string(h.version[1]) + "." + std::to_string(h.version[2]);
}

std::string model_version_text(const FirmwareHeader& h) {
  if (h.device_type == link::kDevicePanel) return full_version_text(h);
  return std::to_string(h.version[1]) + "." + std::to_string(h.version[2]);
}

}  // namespace vq::firmware
