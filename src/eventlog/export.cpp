#include "eventlog/export.hpp"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <system_error>
#include <thread>

#include "shell/messages.hpp"

extern char** environ;

namespace vq::eventlog {

namespace {

constexpr int kMsgBadEvent = 15189;  // "Неверное событие"

std::string reason(int err) { return std::error_code(err, std::generic_category()).message(); }

std::string two(int n) {
  std::string s = std::to_string(n);
  return s.size() < 2 ? "0" + s : s;
}

std::string four(int n) {
  std::string s = std::to_string(n);
  return s.size() < 4 ? std::string(4 - s.size(), '0') + s : s;
}

}  // namespace

std::array<std::string, 4> stored_columns(const EventRow& row) {
  if (!row.complete()) return {shell::msg(kMsgBadEvent), "-", "-", "-"};
  return {row.columns[0], row.columns[1], row.columns[2], row.columns[3]};
}

std::array<std::string, kShownColumnCount> shown_cells(const EventRow& row) {
  auto c = stored_columns(row);
  return {std::to_string(row.number), row.date_time, std::move(c[0]), std::move(c[1]), std::move(c[2]),
          std::move(c[3])};
}

EventDateTime local_now() {
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  ::localtime_r(&now, &tm);
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

std::string report_time_text(const EventDateTime& t) {
  return two(t.day) + "." + two(t.month) + "." + four(t.year) + " " + two(t.hour) + ":" + two(t.minute) + ":" +
         two(t.second);
}

Result<> write_file_atomically(const std::filesystem::path& file, std::string_view contents, std::string_view what) {
  const auto failed = [&](int err) {
    return fail("Не удалось записать " + std::string(what) + " " + file.string() + ": " + reason(err));
  };
  PendingFile temp(file);
  if (const int err = temp.create()) return failed(err);
  if (const int err = temp.write_all(contents)) return failed(err);
  if (const int err = temp.commit()) return failed(err);
  return {};
}

std::filesystem::path unused_report_path(const std::filesystem::path& folder, const std::string& stem,
                                         const std::string& ext) {
  std::error_code ec;
  auto candidate = folder / (stem + ext);
  for (int n = 2; std::filesystem::exists(std::filesystem::symlink_status(candidate, ec)); ++n)
    candidate = folder / (stem + "_" + std::to_string(n) + ext);
  return candidate;
}

// ---- opening with the desktop ----------------------------------------------------------

Result<> open_with_desktop(const std::filesystem::path& file) {
#if defined(__APPLE__)
  static constexpr char kOpener[] = "open";
#else
  static constexpr char kOpener[] = "xdg-open";
#endif
  std::string opener = kOpener;
  std::string target = file.string();
  char* argv[] = {opener.data(), target.data(), nullptr};
  pid_t pid = 0;
  // No shell: the file name reaches the opener as one argument, whatever it contains.
  const int err = ::posix_spawnp(&pid, kOpener, nullptr, nullptr, argv, environ);
  if (err != 0) return fail("Не удалось открыть " + target + ": не запускается " + opener + " (" + reason(err) + ")");
  // Reaped in the background, so the caller neither waits nor leaves a zombie behind.
  std::thread([pid] {
    while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
  }).detach();
  return {};
}

}  // namespace vq::eventlog
