#include "eventlog/journal_reader.hpp"

#include <algorithm>

#include "link/table_commands.hpp"
#include "shell/messages.hpp"

namespace vq::eventlog {
namespace {

constexpr std::uint32_t kJournalAddress = 0x112E00;
constexpr std::uint32_t kJournalWords[] = {0x44FC, 0x44FE};

// Companion tables first, the journal itself last.
struct TablePlan {
  JournalTable table;
  const char* title;
  const char* chunk_failure;  // logged when a chunk fails; nullptr = nothing extra
};
constexpr TablePlan kReadOrder[] = {
    {JournalTable::sect_names, "Таблица имен разделов", "Ошибка чтения таблицы имен разделов!"},
    {JournalTable::sect_name_pointers, "Таблица указателей имен разделов", nullptr},
    {JournalTable::add_info, "Таблица дополнительной информации", nullptr},
    {JournalTable::reg_devs, "Таблица информации о зарег-ых приборах", "Ошибка чтения журнaла!"},
    {JournalTable::reg_rpds, "Таблица информации о зарег-ых РПД", "Ошибка чтения журнaла!"},
    {JournalTable::razdel_types, "Таблица информации о типах разделов", "Ошибка чтения журнaла!"},
    {JournalTable::event_log, "Сам журнал событий", "Ошибка чтения журнaла!"},
};

Error read_failed(std::string detail) { return Error{0, 15186, shell::msg(15186), std::move(detail)}; }

}  // namespace

Result<JournalRead> read_journal(link::Session& s, link::Progress* progress) {
  auto status = [progress](int id) {
    if (progress) progress->status(shell::msg(id));
  };
  auto percent = [progress](int v) {
    if (progress) progress->percent(v);
  };

  auto found = link::connect_panel(s, link::SearchKind::block, progress);
  if (!found) return std::unexpected(found.error());

  link::TableDirectory dir;
  if (auto r = link::ReadTableDirectory(s, dir); !r) return fail(read_failed(r.error().full()));
  // The lengths size the images: checked before anything is allocated or read.
  if (auto r = check_directory(dir); !r) {
    s.log(r.error().text);
    return fail(read_failed(r.error().text));
  }

  JournalRead out{*found, Journal::from_directory(dir), {}, {}};
  status(15185);
  percent(0);

  for (const auto& plan : kReadOrder) {
    auto& image = out.journal.image(plan.table);
    const auto index = static_cast<std::size_t>(plan.table);
    const auto& entry = dir.entries[index];
    s.log(plan.title);
    Bytes received;
    std::uint64_t counter = 0;
    while (counter < entry.length) {
      if (auto c = link::check_cancel(progress); !c) return std::unexpected(c.error());
      auto n = link::ReadTableDirect(s, static_cast<std::uint16_t>(entry.table),
                                     entry.address + static_cast<std::uint32_t>(counter), received);
      if (!n || *n == 0) {
        if (plan.chunk_failure) s.log(plan.chunk_failure);
        return fail(read_failed(std::string(link::TableDirectory::kNames[index]) + ": " +
                                (n ? "прибор не прислал данных" : n.error().full())));
      }
      counter += *n;
      if (plan.table == JournalTable::event_log && entry.length)
        percent(static_cast<int>(std::min<std::uint64_t>(counter, entry.length) * 100 / entry.length));
    }

    const bool required = plan.table == JournalTable::sect_names || plan.table == JournalTable::add_info ||
                          plan.table == JournalTable::reg_devs || plan.table == JournalTable::razdel_types;
    if (required && received.empty()) {
      if (plan.table == JournalTable::add_info) s.log("Ошибка чтения журнaла!");
      return fail(read_failed(std::string(link::TableDirectory::kNames[index]) + ": таблица пуста"));
    }
    if (plan.table == JournalTable::event_log) {
      s.log("tmpListB->Items->Count = " + std::to_string(received.size()));
      if (received.size() % kRecordSize != 0) {
        percent(0);
        return fail(read_failed("журнал: " + std::to_string(received.size()) + " байт, не кратно 16"));
      }
    }
    // A panel that sends more than the table holds: the image keeps exactly its length.
    auto d = image.data();
    std::copy_n(received.begin(), std::min(received.size(), d.size()), d.begin());
  }

  out.companions = parse_companions(out.journal, s.trace);
  if (!out.companions.names_parsed) out.warnings.push_back(shell::msg(15188));
  percent(100);
  status(15187);
  percent(0);
  return out;
}

Bytes test_fill_image(const FillDate& date) {
  Bytes image(kTestFillRecords * kRecordSize, 0);
  int h = 0, m = 0, sec = 0;
  for (std::size_t n = 0; n < kTestFillRecords; ++n) {
    std::uint8_t* r = image.data() + n * kRecordSize;
    r[0] = 0x00;
    r[1] = 0x13;
    r[10] = static_cast<std::uint8_t>(sec);
    r[11] = static_cast<std::uint8_t>(m);
    r[12] = static_cast<std::uint8_t>(h);
    r[13] = static_cast<std::uint8_t>(date.day);
    r[14] = static_cast<std::uint8_t>(date.month);
    r[15] = static_cast<std::uint8_t>(date.year2);
    // Plain binary counters, as the panel's own test fill writes them (not BCD).
    if (++sec == 60) {
      sec = 0;
      if (++m == 60) {
        m = 0;
        h = (h + 1) % 24;
      }
    }
  }
  return image;
}

Result<> fill_test_journal(link::Session& s, std::string_view code_word, const FillDate& date,
                           link::Progress* progress) {
  if (code_word != kTestFillCodeWord) return fail(Error{0, 15136, shell::msg(15136), {}});
  const Bytes image = test_fill_image(date);
  if (auto r = link::WriteBlockToPanel(s, kJournalAddress, image, progress); !r)
    return fail(Error{0, 0, "Ошибка!  Журнал не записан!", r.error().full()});
  const Bytes count{0xAC, 0x26};
  for (auto address : kJournalWords) (void)link::WriteBlockToPanel(s, address, count);
  return {};
}

Bytes erased_journal_image() { return Bytes(kTestFillRecords * kRecordSize, 0xFF); }

Result<> erase_journal(link::Session& s, std::string_view code_word, link::Progress* progress) {
  if (code_word != kTestFillCodeWord) return fail(Error{0, 15136, shell::msg(15136), {}});
  if (auto r = link::WriteBlockToPanel(s, kJournalAddress, erased_journal_image(), progress); !r)
    return fail(Error{0, 0, "Ошибка!  Журнал не стёрт!", r.error().full()});
  const Bytes zero{0x00, 0x00};
  for (auto address : kJournalWords)
    if (auto r = link::WriteBlockToPanel(s, address, zero); !r)
      return fail(Error{0, 0, "Ошибка! Журнал стёрт, но счётчик записей прибора не обнулён.", r.error().full()});
  return {};
}

}  // namespace vq::eventlog
