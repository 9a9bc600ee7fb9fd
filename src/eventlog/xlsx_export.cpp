#include "eventlog/xlsx_export.hpp"

#include <xlsxwriter.h>

#include <memory>
#include <string>
#include <system_error>

namespace vq::eventlog {

namespace {

struct WorkbookFree {
  void operator()(lxw_workbook* wb) const { lxw_workbook_free(wb); }
};
using Workbook = std::unique_ptr<lxw_workbook, WorkbookFree>;

std::string lxw_reason(lxw_error err) { return lxw_strerror(err); }

}  // namespace

std::array<int, kShownColumnCount> xlsx_column_widths(const ListColumnWidths& list_widths) {
  std::array<int, kShownColumnCount> out{};
  for (std::size_t c = 0; c < kShownColumnCount; ++c) {
    const int px = list_widths[kShownListColumns[c]];
    out[c] = px > 0 ? px / 5 : 0;
  }
  return out;
}

Result<> write_xlsx(const std::vector<EventRow>& rows, const std::filesystem::path& file,
                    const ListColumnWidths& list_widths) {
  const auto failed = [&](const std::string& why) {
    return fail("Не удалось записать книгу " + file.string() + ": " + why);
  };
  // The last sheet row is 1048576; the header takes the first.
  if (rows.size() > LXW_ROW_MAX - 1)
    return failed("строк больше, чем умещает лист (" + std::to_string(LXW_ROW_MAX - 1) + ")");

  const auto reason = [](int err) { return std::error_code(err, std::generic_category()).message(); };
  // The library writes the whole file at close, by name: it writes the temporary, and
  // making it first tells a missing or read-only folder in plain words. Standard output has
  // no name to reopen (and reopening a redirected one would truncate it): the workbook goes
  // to a scratch file first and is copied out whole.
  const bool to_stdout = file == kStandardOutputName;
  std::error_code tmp_ec;
  PendingFile temp(to_stdout ? std::filesystem::temp_directory_path(tmp_ec) / "vantorq-workbook.xlsx" : file);
  if (const int err = temp.create()) return failed(reason(err));
  if (const int err = temp.close_fd()) return failed(reason(err));

  Workbook wb(workbook_new(temp.path().c_str()));
  if (!wb) return failed("не удалось создать книгу");
  lxw_worksheet* sheet = workbook_add_worksheet(wb.get(), nullptr);
  lxw_format* header = workbook_add_format(wb.get());
  if (!sheet || !header) return failed("не удалось создать лист");
  format_set_bold(header);
  format_set_border(header, LXW_BORDER_MEDIUM);

  const auto widths = xlsx_column_widths(list_widths);
  for (std::size_t c = 0; c < kShownColumnCount; ++c) {
    const auto col = static_cast<lxw_col_t>(c);
    if (const lxw_error err = worksheet_set_column(sheet, col, col, widths[c], nullptr)) return failed(lxw_reason(err));
    const std::string caption(kListColumnCaptions[kShownListColumns[c]]);
    if (const lxw_error err = worksheet_write_string(sheet, 0, col, caption.c_str(), header))
      return failed(lxw_reason(err));
  }

  lxw_row_t r = 1;
  for (const auto& row : rows) {
    const auto cells = shown_cells(row);
    if (const lxw_error err = worksheet_write_number(sheet, r, 0, row.number, nullptr)) return failed(lxw_reason(err));
    for (std::size_t c = 1; c < kShownColumnCount; ++c) {
      if (const lxw_error err = worksheet_write_string(sheet, r, static_cast<lxw_col_t>(c), cells[c].c_str(), nullptr))
        return failed(lxw_reason(err));
    }
    ++r;
  }

  // Close frees the workbook whatever it returns.
  if (const lxw_error err = workbook_close(wb.release())) return failed(lxw_reason(err));
  if (to_stdout) {
    auto bytes = read_whole_file(temp.path(), "книгу", std::uint64_t{1} << 32, "");
    if (!bytes) return failed(bytes.error().text);
    PendingFile out(file);
    int err = out.create();
    if (!err) err = out.write_all(*bytes);
    if (!err) err = out.commit();
    if (err) return failed(reason(err));
    return {};  // the scratch file goes with `temp`
  }
  if (const int err = temp.commit()) return failed(reason(err));
  return {};
}

}  // namespace vq::eventlog
