#pragma once
// What kind of file this is, told from its bytes, so that every job can refuse a file meant
// for another one and say what it is ("это файл журнала событий, а не файл настроек").
#include <cstddef>
#include <filesystem>
#include <string>

#include "util/bytes.hpp"
#include "util/result.hpp"

namespace vq::shell {

enum class FileKind { configuration, event_log, old_journal, firmware, unknown };

// Enough of a file's start to tell its kind: the 168-byte header and the first entries.
inline constexpr std::size_t kFileKindHead = 64 * 1024;

// By content only. `head_or_whole` is the whole file or its first bytes; entries that lie
// past the bytes given are not checked. A configuration and an event log file share the
// header's shape: the configuration's entries sit at their slots' own addresses, the log's
// header has no offset past its seventh. A file with no table at all (all zero, a bare
// header), a damaged or truncated one, is unknown: its own loader says what is wrong.
FileKind detect_file_kind(ByteView head_or_whole);

// "файл настроек", "файл журнала событий", ... ; "файл неизвестного вида" for unknown.
std::string file_kind_name(FileKind kind);

// "Файл <path> не подходит: это файл журнала событий, а не файл настроек".
Error wrong_kind_error(FileKind found, FileKind wanted, const std::filesystem::path& file);

// A directory, a FIFO or a device is refused without being opened (a FIFO would block the
// read forever); `what` names the file in the text, e.g. "файл настроек".
Result<> check_regular_file(const std::filesystem::path& file, std::string_view what);

// check_regular_file, then the kind of the file's first kFileKindHead bytes.
Result<FileKind> detect_file_kind_of(const std::filesystem::path& file, std::string_view what);

}  // namespace vq::shell
