#include "eventlog/journal.hpp"

#include <algorithm>
#include <string>

#include "util/cp1251.hpp"

namespace vq::eventlog {

std::uint32_t max_table_length(JournalTable t) {
  return t == JournalTable::event_log ? kJournalMaxLength : kCompanionMaxLength;
}

Result<> check_directory(const link::TableDirectory& dir) {
  for (std::size_t i = 0; i < kJournalTables; ++i) {
    const auto& e = dir.entries[i];
    const std::string name(link::TableDirectory::kNames[i]);
    const auto cap = max_table_length(static_cast<JournalTable>(i));
    if (e.length > cap)
      return fail("прибор сообщил длину таблицы " + name + " " + std::to_string(e.length) +
                  " байт, а она не может быть больше " + std::to_string(cap));
    if (std::uint64_t{e.address} + e.length > std::uint64_t{1} << 32)
      return fail("таблица " + name + " по сообщению прибора выходит за конец памяти (адрес " +
                  std::to_string(e.address) + ", длина " + std::to_string(e.length) + ")");
  }
  return {};
}

Journal Journal::from_directory(const link::TableDirectory& dir) {
  Journal j;
  for (std::size_t i = 0; i < kJournalTables; ++i) {
    const auto& e = dir.entries[i];
    j.images[i] = std::make_unique<memory::TMemoryBlock>(e.address, e.length, 0);
    j.images[i]->set_table_number(e.table);
  }
  return j;
}

Companions parse_companions(const Journal& journal, link::Trace* trace) {
  Companions c;
  auto log = [trace](const std::string& line) { link::trace_line(trace, line); };

  // Names are the runs between zero bytes; bytes after the last zero belong to no name.
  const auto names = journal.image(JournalTable::sect_names).data();
  c.names_parsed = std::find(names.begin(), names.end(), std::uint8_t{0}) != names.end();
  std::size_t start = 0;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (names[i] != 0) continue;
    c.partition_names.push_back(cp1251_to_utf8(names.subspan(start, i - start)));
    log(c.partition_names.back());
    start = i + 1;
  }

  const auto pointers = journal.image(JournalTable::sect_name_pointers).data();
  log("вывожу массив указателей на таблицу имен разделов");
  for (std::size_t i = 0; i + 1 < pointers.size(); i += 2) {
    c.name_pointers.push_back(get_u16(pointers, i));
    log(std::to_string(c.name_pointers.back()));
  }

  const auto add_info = journal.image(JournalTable::add_info).data();
  if (add_info.size() >= 2) {
    c.journal_vector = get_u16(add_info, 0);
    log("Jornal vector - " + std::to_string(c.journal_vector));
  }

  const auto devs = journal.image(JournalTable::reg_devs).data();
  log("Информация о зарегистрированных приборах");
  for (std::size_t i = 0; i + 2 < devs.size(); i += 3) {
    const Module m{devs[i], get_u16(devs, i + 1)};
    const auto n = std::to_string(c.modules.size());
    log("Адрес прибора " + n + " - " + std::to_string(m.address));
    log("Тип прибора " + n + " - " + std::to_string(m.type));
    c.modules.push_back(m);
  }

  const auto rpds = journal.image(JournalTable::reg_rpds).data();
  c.radio_types.assign(rpds.begin(), rpds.end());
  const auto types = journal.image(JournalTable::razdel_types).data();
  c.partition_types.assign(types.begin(), types.end());
  return c;
}

}  // namespace vq::eventlog
