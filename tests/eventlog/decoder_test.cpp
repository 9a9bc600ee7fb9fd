// Journal records to event rows: every decoding rule, time stamps, incomplete rows, and
// records that point past the companion tables.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "eventlog/decoder.hpp"
#include "shell/messages.hpp"

using namespace vq;
using namespace vq::eventlog;

namespace {

using Texts = std::vector<std::string>;

Bytes hex(std::string_view text) {
  Bytes out;
  for (std::size_t i = 0; i < text.size();) {
    if (text[i] == ' ') {
      ++i;
      continue;
    }
    out.push_back(static_cast<std::uint8_t>(std::stoul(std::string(text.substr(i, 2)), nullptr, 16)));
    i += 2;
  }
  return out;
}

// Seven named partitions, six typed: partition 7 has a name but no type.
Companions fixture_companions() {
  Companions c;
  c.partition_names = {"Hall 1", "кухня", "Склад Big", "Раздел", "разд", "офис 2 этаж", "Big разд Hall"};
  c.partition_types = {0, 4, 2, 5, 3, 6};
  // Address 2 twice: the first entry is the one that counts.
  c.modules = {{2, 517}, {3, 526}, {4, 518}, {5, 6172}, {2, 526}};
  return c;
}

Journal journal_of(const Bytes& log) {
  Journal j;
  for (auto& image : j.images) image = std::make_unique<memory::TMemoryBlock>(0, 0);
  j.images[static_cast<std::size_t>(JournalTable::event_log)] =
      std::make_unique<memory::TMemoryBlock>(0x112E00, static_cast<std::uint32_t>(log.size()));
  auto data = j.image(JournalTable::event_log).data();
  std::copy(log.begin(), log.end(), data.begin());
  return j;
}

// Record fields by name; the time stamp is always 09.12.26 14:30:05.
struct Rec {
  std::uint8_t group = 0, sub = 0;
  std::uint8_t b2 = 0, b3 = 0, b4 = 0, b5 = 0, b6 = 0;
  std::uint16_t p = 0;
  std::uint8_t b9 = 0;

  Bytes bytes() const {
    return {sub, group, b2, b3, b4, b5, b6, static_cast<std::uint8_t>(p), static_cast<std::uint8_t>(p >> 8), b9,
            0x05, 0x30, 0x14, 0x09, 0x12, 0x26};
  }
};

const std::string kInfo = "Информационное";
const std::string kSys = "Система";
const std::string kFault = "Неисправность";
const std::string kPpk = "ППК";

struct RuleCase {
  Rec rec;
  Texts columns;
};

// One line per row of the decoding tables (partition 1 is "hall1", 2 "кухня", 3 "Складbig",
// 4 "Раздел", 5 "разд5", 6 "офис2этаж"; modules: 2 GSM, 3 МР, 4 PSTN, 5 РПП).
const RuleCase kRules[] = {
    // Group 51: restorations and information.
    {{.group = 51, .sub = 0, .b9 = 0}, {kInfo, kSys, "Восстановление вскрытия", kPpk}},
    {{.group = 51, .sub = 0, .b9 = 1}, {kInfo, kSys, "Вскрытие отсека АКБ", kPpk}},
    {{.group = 51, .sub = 0, .b9 = 2}, {kInfo, kSys, kPpk}},  // detail skipped
    {{.group = 51, .sub = 1, .b9 = 1}, {kInfo, kSys, "Восстановление сети(220В)", kPpk}},
    {{.group = 51, .sub = 1, .b9 = 0}, {kInfo, kSys, "Восстановление питания", kPpk}},
    {{.group = 51, .sub = 2}, {kInfo, kSys, "Восстановление заряда АКБ", kPpk}},
    {{.group = 51, .sub = 8}, {kInfo, kSys, "Включение питания", kPpk}},
    {{.group = 51, .sub = 9}, {kInfo, kSys, "Восстановление АКБ", kPpk}},
    {{.group = 51, .sub = 17, .b3 = 7, .p = 2, .b9 = 2}, {kInfo, "кухня", "Установка АКБ", "ИК#007"}},
    {{.group = 51, .sub = 17, .b2 = 2}, {kInfo, kSys, "Установка АКБ", "GSM#003"}},
    {{.group = 51, .sub = 17}, {kInfo, kSys, "Установка АКБ", kPpk}},
    {{.group = 51, .sub = 21, .b3 = 12, .p = 1, .b9 = 3}, {"Служебное", "hall1", "Восстановление ОИП", "АК#012"}},
    {{.group = 51, .sub = 22, .b3 = 250, .p = 6, .b9 = 4}, {"Служебное", "офис2этаж", "Восстановление РИП", "РПД#250"}},
    {{.group = 51, .sub = 36, .b2 = 3, .b4 = 0x05, .p = 2}, {kInfo, "кухня", "Восстановление цепи", "МР#004/06"}},
    {{.group = 51, .sub = 55, .b2 = 2}, {kInfo, kSys, "Восстановление АКБ", "GSM#003"}},
    {{.group = 51, .sub = 55, .b2 = 4}, {kInfo, kSys, "Восстановление питания", "PSTN#005"}},
    {{.group = 51, .sub = 56, .b3 = 1, .p = 3, .b9 = 5}, {kInfo, "Складbig", "Восстановление заряда", "ВБР#001"}},
    {{.group = 51, .sub = 56, .b2 = 5}, {kInfo, kSys, "Восстановление заряда", "РПП#006"}},
    {{.group = 51, .sub = 65, .b2 = 3}, {kInfo, kSys, "Восстановление вскрытия", "МР#004"}},
    {{.group = 51, .sub = 66, .b2 = 3, .b3 = 255}, {kInfo, kSys, "Восстановление сети(220В)", "МР#004"}},
    {{.group = 51, .sub = 66, .b3 = 9, .p = 1, .b9 = 18}, {kInfo, "hall1", "Восстановление питания", "БР#009"}},
    {{.group = 51, .sub = 67, .b2 = 5, .b3 = 255}, {kInfo, kSys, "Восстановление синхронизации", "РПП#006"}},
    {{.group = 51, .sub = 67, .b3 = 3}, {}},
    {{.group = 51, .sub = 68, .b2 = 5, .b3 = 255}, {kInfo, kSys, "Восстановление РК", "РПП#006"}},
    {{.group = 51, .sub = 68, .b3 = 0}, {}},
    {{.group = 51, .sub = 83, .b2 = 1, .b9 = 3}, {kInfo, kSys, "Установка SIM", "GSM#002"}},
    {{.group = 51, .sub = 83, .b9 = 5}, {kInfo, kSys, "Ввод PIN", "GSM#001"}},
    {{.group = 51, .sub = 83, .b9 = 7}, {kInfo, kSys, "Восстановление РК", "GSM#001"}},
    {{.group = 51, .sub = 83, .b9 = 9}, {kInfo, kSys, "Восставновление неисправности 9", "GSM#001"}},
    {{.group = 51, .sub = 112, .b4 = 2, .p = 1}, {kInfo, "hall1", "Восстановление", "ППК/02"}},
    {{.group = 51, .sub = 128, .b3 = 4, .p = 1, .b9 = 31}, {kInfo, "hall1", "Восстановление общее", "ИП#004"}},
    {{.group = 51, .sub = 129, .b3 = 4, .p = 1, .b9 = 33}, {kInfo, "hall1", "Восстановление связи", "ИПР#004"}},
    {{.group = 51, .sub = 130, .b2 = 2}, {kInfo, kSys, "Восстановление связи", "GSM#003"}},
    {{.group = 51, .sub = 131, .b3 = 2, .p = 1, .b9 = 35}, {kInfo, "hall1", "Восстановление вскрытия", "ИПТ#002"}},
    {{.group = 51, .sub = 132, .b3 = 2, .p = 1, .b9 = 226}, {kInfo, "hall1", "Восстановление АКБ", "РТМ#002"}},
    {{.group = 51, .sub = 132, .b3 = 2, .p = 1, .b9 = 224}, {kInfo, "hall1", "Восстановление питания", "РТМ#002"}},

    // Group 19: faults.
    {{.group = 19, .sub = 0, .b9 = 0}, {kFault, kSys, "Вскрытие", kPpk}},
    {{.group = 19, .sub = 0, .b9 = 1}, {kFault, kSys, "Вскрытие отсека АКБ", kPpk}},
    {{.group = 19, .sub = 0, .b9 = 5}, {kFault, kSys, kPpk}},  // detail skipped
    {{.group = 19, .sub = 1, .b9 = 0}, {kFault, kSys, "Неисправность питания", kPpk}},
    {{.group = 19, .sub = 1, .b9 = 1}, {kInfo, kSys, "Нет сети 220В", kPpk}},
    {{.group = 19, .sub = 1, .b9 = 2}, {}},
    {{.group = 19, .sub = 2}, {kFault, kSys, "Разряд АКБ", kPpk}},
    {{.group = 19, .sub = 6, .b9 = 0}, {kInfo, kSys, "Смена ПО", kPpk}},
    {{.group = 19, .sub = 6, .b9 = 1}, {kInfo, kSys, "Смена ПО", "Встроенных модулей"}},
    {{.group = 19, .sub = 6, .b9 = 2}, {kInfo, kSys, "Смена ПО", "Радиоустройств"}},
    {{.group = 19, .sub = 6, .b9 = 3}, {kInfo, kSys, "Смена ПО", "Неизвестно"}},
    {{.group = 19, .sub = 9}, {kFault, kSys, "Неисправность АКБ", kPpk}},
    {{.group = 19, .sub = 17, .b3 = 1, .p = 4, .b9 = 65}, {kInfo, "Раздел", "Нет АКБ", "СЗО#001"}},
    {{.group = 19, .sub = 17, .b2 = 3}, {kInfo, kSys, "Нет АКБ", "МР#004"}},
    {{.group = 19, .sub = 17}, {kInfo, kSys, "Нет АКБ", kPpk}},
    {{.group = 19, .sub = 19}, {kInfo, kSys, "Восстановление настроек", kPpk}},
    {{.group = 19, .sub = 21, .b3 = 5, .p = 5, .b9 = 66}, {"Служебное", "разд5", "Нет ОИП", "ОПР#005"}},
    {{.group = 19, .sub = 22, .b3 = 5, .p = 5, .b9 = 70}, {"Служебное", "разд5", "Нет РИП", "ОПС#005"}},
    {{.group = 19, .sub = 23, .b3 = 5, .p = 5, .b9 = 80}, {"Служебное", "разд5", "Разряд ОИП", "ОПИ#005"}},
    {{.group = 19, .sub = 24, .b3 = 5, .p = 5, .b9 = 90}, {"Служебное", "разд5", "Разряд РИП", "ДУВ#005"}},
    {{.group = 19, .sub = 36, .b2 = 3, .b4 = 0x83, .p = 2}, {kInfo, "кухня", "КЗ", "МР#004/04"}},
    {{.group = 19, .sub = 36, .b2 = 3, .b4 = 0x03, .p = 2}, {kInfo, "кухня", "Обрыв цепи", "МР#004/04"}},
    {{.group = 19, .sub = 55, .b2 = 2}, {kFault, kSys, "Неисправность АКБ", "GSM#003"}},
    {{.group = 19, .sub = 55, .b2 = 3}, {kFault, kSys, "Неисправность питания", "МР#004"}},
    {{.group = 19, .sub = 56, .b3 = 3, .p = 1, .b9 = 238}, {kFault, "hall1", "Разряд АКБ", "РПП#003"}},
    {{.group = 19, .sub = 56, .b2 = 5}, {kFault, kSys, "Разряд АКБ", "РПП#006"}},
    {{.group = 19, .sub = 65, .b2 = 4}, {kFault, kSys, "Вскрытие", "PSTN#005"}},
    {{.group = 19, .sub = 66, .b2 = 3, .b3 = 255}, {kInfo, kSys, "Нет сети(220В)", "МР#004"}},
    {{.group = 19, .sub = 66, .b3 = 8, .p = 1, .b9 = 2}, {kInfo, "hall1", "Нет сети(220В)", "ИК#008"}},
    {{.group = 19, .sub = 68, .b2 = 5, .b3 = 255}, {kFault, kSys, "Блокирование РК", "РПП#006"}},
    {{.group = 19, .sub = 68, .b3 = 1}, {}},
    {{.group = 19, .sub = 83, .b2 = 2, .b9 = 3}, {kFault, kSys, "Нет SIM", "GSM#003"}},
    {{.group = 19, .sub = 83, .b2 = 2, .b9 = 5}, {kInfo, kSys, "Нет PIN", "GSM#003"}},
    {{.group = 19, .sub = 83, .b2 = 2, .b9 = 7}, {kFault, kSys, "Нет РК", "GSM#003"}},
    {{.group = 19, .sub = 83, .b2 = 4, .b9 = 7}, {kFault, kSys, "Нет линии", "PSTN#005"}},
    {{.group = 19, .sub = 83, .b2 = 4, .b9 = 12}, {kFault, kSys, "Неисправность#12", "PSTN#005"}},
    {{.group = 19, .sub = 84, .b5 = 0x39, .b6 = 0x01}, {kInfo, kSys, "Событие не доставлено", "0313"}},
    {{.group = 19, .sub = 112, .b3 = 9, .p = 1, .b9 = 1}, {kFault, "hall1", kFault, "СМК#009"}},
    {{.group = 19, .sub = 128, .b3 = 1, .p = 2, .b9 = 1}, {kFault, "кухня", "Неисправность общая", "СМК#001"}},
    {{.group = 19, .sub = 129, .b3 = 1, .p = 2, .b9 = 1}, {kFault, "кухня", "Нет связи", "СМК#001"}},
    {{.group = 19, .sub = 130, .b2 = 3}, {kFault, kSys, "Нет связи", "МР#004"}},
    {{.group = 19, .sub = 131, .b3 = 1, .p = 2, .b9 = 1}, {kFault, "кухня", "Вскрытие", "СМК#001"}},
    {{.group = 19, .sub = 132, .b3 = 1, .p = 2, .b9 = 229}, {kFault, "кухня", "Неисправность АКБ", "РТМ#001"}},
    {{.group = 19, .sub = 132, .b3 = 1, .p = 2, .b9 = 227}, {kFault, "кухня", "Неисправность питания", "РПД#001"}},

    // Group 17: alarms.
    {{.group = 17, .sub = 16, .b4 = 3, .p = 3}, {"Пожар", "Складbig", "Пожар", "SOS"}},
    {{.group = 17, .sub = 16, .b4 = 2, .p = 3}, {"Пожар", "Складbig", "Пожар", "ППК/02"}},
    {{.group = 17, .sub = 16, .b3 = 7, .b4 = 2, .p = 3, .b9 = 4}, {"Пожар", "Складbig", "Пожар", "РПД#007/02"}},
    {{.group = 17, .sub = 16, .b3 = 7, .p = 3, .b9 = 1}, {"Пожар", "Складbig", "Пожар", "СМК#007"}},
    {{.group = 17, .sub = 24, .b3 = 1, .p = 1, .b9 = 2}, {"Внимание", "hall1", "Внимание", "ИК#001"}},
    {{.group = 17, .sub = 32, .b2 = 0x2C, .b3 = 0x01, .b9 = 7},
     {"Сработало автоматически", "Оповещение", "Зона#300", "Сообщение#7"}},
    {{.group = 17, .sub = 48, .b4 = 3, .p = 1}, {"Тревога", "hall1", "Тревога", "SOS"}},
    {{.group = 17, .sub = 48, .b4 = 1, .p = 2}, {"Нарушение", "кухня", "Нарушение", "ППК/01"}},
    {{.group = 17, .sub = 48, .b3 = 5, .p = 3, .b9 = 3}, {"АК#005"}},  // fire partition: source only
    {{.group = 17, .sub = 88, .b3 = 2, .p = 4, .b9 = 1}, {"Нарушение", "Раздел", "Высокая температура", "СМК#002"}},
    {{.group = 17, .sub = 89, .b3 = 2, .p = 4, .b9 = 1}, {"Нарушение", "Раздел", "Низкая температура", "СМК#002"}},

    // Group 52: arming and users.
    {{.group = 52, .sub = 2, .b2 = 7, .b4 = 0x25, .p = 1}, {"Взят", "hall1", "Пользователь007", "ТМ#005"}},
    {{.group = 52, .sub = 3, .p = 1}, {"Взят автоматически", "hall1", "Автовзятие", " "}},
    {{.group = 52, .sub = 33}, {kInfo, kSys, "Снятие блокирования", "ДУ"}},
    {{.group = 52, .sub = 49, .b2 = 12, .b4 = 0x1F}, {kInfo, kSys, "Удален012", "ПИН#015"}},
    {{.group = 52, .sub = 86, .b2 = 0xE8, .b3 = 0x03, .b4 = 0x31, .p = 1}, {"Взят #", "hall1", "Пользователь1000", "БР#001"}},
    {{.group = 52, .sub = 101, .b4 = 4}, {"Отмена", "Оповещение", "Отмена", "Пользователь#4"}},

    // Group 20: disarming, remote commands and access.
    {{.group = 20, .sub = 2, .b2 = 1, .b4 = 0x42, .p = 2}, {"Снят", "кухня", "Пользователь001", "#002"}},
    {{.group = 20, .sub = 18, .b3 = 5}, {"Выполнена", "Команда ДУ", "Пользователь001", "КОМ#05"}},
    {{.group = 20, .sub = 19, .b2 = 9, .b3 = 12}, {"Неверная", "Команда ДУ", "Пользователь010", "КОМ#12"}},
    {{.group = 20, .sub = 33, .b9 = 1}, {kInfo, kSys, "Попытка доступа", "Подбор ДУ"}},
    {{.group = 20, .sub = 33, .b9 = 0}, {kInfo, kSys, "Попытка доступа", "Подбор пароля"}},
    {{.group = 20, .sub = 49, .b2 = 5, .b4 = 0x23}, {kInfo, kSys, "Зарегистрирован 005", "ТМ#003"}},
    {{.group = 20, .sub = 99, .b2 = 3, .b4 = 0x11, .p = 1}, {"Перевзят", "hall1", "Пользователь003", "ПИН#001"}},
    {{.group = 20, .sub = 99, .p = 1}, {"Перевзят", "hall1", "Автовзятие", " "}},

    // Group 21: modules; the type comes in bytes 4-5.
    {{.group = 21, .sub = 49, .b2 = 1, .b4 = 0x05, .b5 = 0x02}, {kInfo, kSys, "Зарегистрирован новый", "GSM#002"}},
    {{.group = 21, .sub = 50, .b4 = 0x1C, .b5 = 0x18}, {kInfo, kSys, "Удален", "РПП#001"}},

    // Group 22: tests and service; the test names follow the partition type.
    {{.group = 22, .sub = 4, .b3 = 3, .p = 1, .b9 = 2}, {kInfo, "hall1", "Тестовая тревога", "ИК#003"}},
    {{.group = 22, .sub = 4, .b3 = 3, .p = 4, .b9 = 2}, {kInfo, "Раздел", "Тестовая тревога", "ИК#003"}},
    {{.group = 22, .sub = 4, .b3 = 3, .p = 3, .b9 = 2}, {kInfo, "Складbig", "Тестовый пожар", "ИК#003"}},
    {{.group = 22, .sub = 4, .b3 = 3, .p = 5, .b9 = 2}, {kInfo, "разд5", "Тестовый пожар", "ИК#003"}},
    {{.group = 22, .sub = 4, .b3 = 3, .p = 2, .b9 = 2}, {kInfo, "кухня", "Тестовое нарушение", "ИК#003"}},
    {{.group = 22, .sub = 4, .b3 = 3, .p = 6, .b9 = 2}, {"ИК#003"}},  // analogue fire: source only
    {{.group = 22, .sub = 24, .b2 = 2, .b9 = 1}, {kInfo, kSys, "Переключение на SIM#2", "GSM#003"}},
    {{.group = 22, .sub = 37}, {kInfo, kSys, "Изменение", "Дата/Время"}},
    {{.group = 22, .sub = 39}, {kInfo, kSys, "Вход инженера", kPpk}},
    {{.group = 22, .sub = 40}, {kInfo, kSys, "Выход инженера", kPpk}},

    // Group 102: remote notification and account.
    {{.group = 102, .sub = 2}, {kInfo, kSys, "Тест", "Удаленное оповещение"}},
    {{.group = 102, .sub = 22}, {kInfo, kSys, "Отправка счета", "SIM"}},

    // Groups 49 and 54: notification.
    {{.group = 49, .sub = 32, .b2 = 5, .b9 = 2}, {"Включено", "Оповещение", "Зона#5", "Сообщение#2"}},
    {{.group = 54, .sub = 20, .b3 = 1}, {"Тест", "Оповещение", "Зона#256", "Сообщение#0"}},

    // Codes no table knows.
    {{.group = 19, .sub = 3}, {}},
    {{.group = 0, .sub = 0}, {}},
    {{.group = 255, .sub = 255}, {}},
};

TEST(EventDecoder, EveryRuleOfTheTablesInOneJournal) {
  Bytes log;
  for (const auto& c : kRules) {
    const Bytes b = c.rec.bytes();
    log.insert(log.end(), b.begin(), b.end());
  }
  log.resize(log.size() + 5, 0x11);  // a part record at the end is no record

  const auto rows = decode_journal(journal_of(log), fixture_companions());
  ASSERT_EQ(rows.size(), std::size(kRules));
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const auto& rec = kRules[i].rec;
    SCOPED_TRACE(testing::Message() << "row " << i + 1 << ": group " << int{rec.group} << " sub " << int{rec.sub});
    EXPECT_EQ(rows[i].number, i + 1);
    EXPECT_EQ(rows[i].event_id, rec.group * 256u + rec.sub);
    EXPECT_EQ(rows[i].date_time, "09.12.26 14:30:05");
    EXPECT_EQ(rows[i].columns, kRules[i].columns);
    EXPECT_EQ(rows[i].complete(), kRules[i].columns.size() == 4);
  }
}

struct RecordCase {
  const char* what;
  const char* record;
  std::uint32_t event_id;
  const char* date_time;
  Texts columns;
};

TEST(EventDecoder, RecordsAsBytes) {
  const RecordCase cases[] = {
      {"worked record", "00 13 00 00 00 00 00 00 00 00 05 30 14 09 12 26", 4864, "09.12.26 14:30:05",
       {"Неисправность", "Система", "Вскрытие", "ППК"}},
      {"nibble above 9 in the seconds", "00 13 00 00 00 00 00 00 00 00 1A 30 14 09 12 26", 4864,
       "09.12.26 14:30:20", {"Неисправность", "Система", "Вскрытие", "ППК"}},
      {"radio type outside the table", "18 11 00 05 00 00 00 01 00 63 00 00 00 01 01 26", 4376, "01.01.26 00:00:00",
       {"Внимание", "hall1", "Внимание", "РПД#005"}},
      {"unknown event: an empty row that still has its date", "07 63 01 02 03 04 05 01 00 09 59 59 23 31 12 99",
       25351, "31.12.99 23:59:59", {}},
      {"partition beyond the names", "18 11 00 05 00 00 00 28 00 01 00 00 00 01 01 26", 4376, "01.01.26 00:00:00",
       {"Внимание", "разд40", "Внимание", "СМК#005"}},
      {"partition 65535", "18 11 00 05 00 00 00 FF FF 01 00 00 00 01 01 26", 4376, "01.01.26 00:00:00",
       {"Внимание", "разд65535", "Внимание", "СМК#005"}},
      {"partition 0", "18 11 00 05 00 00 00 00 00 01 00 00 00 01 01 26", 4376, "01.01.26 00:00:00",
       {"Внимание", "Неверное событие", "Внимание", "СМК#005"}},
      {"named partition without a type", "30 11 00 00 02 00 00 07 00 00 00 00 00 01 01 26", 4400, "01.01.26 00:00:00",
       {"ППК/02"}},
      {"alarm in partition 0", "30 11 00 00 02 00 00 00 00 00 00 00 00 01 01 26", 4400, "01.01.26 00:00:00",
       {"ППК/02"}},
      {"test in a partition beyond the types", "04 16 00 03 00 00 00 09 00 02 00 00 00 01 01 26", 5636,
       "01.01.26 00:00:00", {"ИК#003"}},
      {"module not registered", "41 13 06 00 00 00 00 00 00 00 00 00 00 01 01 26", 4929, "01.01.26 00:00:00",
       {"Неисправность", "Система", "Вскрытие", "#007"}},
      {"module address 255", "41 13 FF 00 00 00 00 00 00 00 00 00 00 01 01 26", 4929, "01.01.26 00:00:00",
       {"Неисправность", "Система", "Вскрытие", "#256"}},
      {"module type the panel does not name", "31 15 00 00 D2 04 00 00 00 00 00 00 00 01 01 26", 5425,
       "01.01.26 00:00:00", {"Информационное", "Система", "Зарегистрирован новый", "#001"}},
      {"first module entry of an address counts", "37 33 02 00 00 00 00 00 00 00 00 00 00 01 01 26", 13111,
       "01.01.26 00:00:00", {"Информационное", "Система", "Восстановление АКБ", "GSM#003"}},
      {"largest numbers are not cut", "12 14 FF FF 00 FF FF 00 00 FF 00 00 00 01 01 26", 5138, "01.01.26 00:00:00",
       {"Выполнена", "Команда ДУ", "Пользователь256", "КОМ#255"}},
      {"word numbers past 16 bits", "18 16 FF FF 00 00 00 00 00 FF 00 00 00 01 01 26", 5656, "01.01.26 00:00:00",
       {"Информационное", "Система", "Переключение на SIM#256", "GSM#65536"}},
  };
  const auto companions = fixture_companions();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const auto row = decode_record(hex(c.record), 42, companions);
    EXPECT_EQ(row.number, 42u);
    EXPECT_EQ(row.event_id, c.event_id);
    EXPECT_EQ(row.date_time, c.date_time);
    EXPECT_EQ(row.columns, c.columns);
  }
}

TEST(EventDecoder, TimeStamps) {
  struct Case {
    const char* stamp;  // bytes 10-15: seconds, minutes, hours, day, month, year
    const char* text;
    EventDateTime when;
  };
  const EventDateTime zero{};
  const Case cases[] = {
      {"05 30 14 09 12 26", "09.12.26 14:30:05", {2026, 12, 9, 14, 30, 5}},
      {"1A 30 14 09 12 26", "09.12.26 14:30:20", {2026, 12, 9, 14, 30, 20}},  // 0x1A reads as 20
      {"0A 00 00 0A 01 26", "10.01.26 00:00:10", {2026, 1, 10, 0, 0, 10}},
      {"59 59 23 31 12 99", "31.12.99 23:59:59", {2099, 12, 31, 23, 59, 59}},
      {"00 00 00 29 02 24", "29.02.24 00:00:00", {2024, 2, 29, 0, 0, 0}},
      {"00 00 00 29 02 00", "29.02.00 00:00:00", {2000, 2, 29, 0, 0, 0}},
      {"00 00 00 29 02 25", "30.12.1899", zero},  // no 29 February that year
      {"00 00 00 31 04 26", "30.12.1899", zero},
      {"00 00 00 01 13 26", "30.12.1899", zero},
      {"00 00 00 00 01 26", "30.12.1899", zero},
      {"00 00 00 00 00 00", "30.12.1899", zero},  // an erased record
      {"00 00 24 01 01 26", "30.12.1899", zero},
      {"00 60 23 01 01 26", "30.12.1899", zero},
      {"60 00 00 01 01 26", "30.12.1899", zero},
      {"00 00 00 01 01 A0", "30.12.1899", zero},  // year 100 is no two-digit year
      {"FF FF FF FF FF FF", "30.12.1899", zero},
  };
  const Companions none;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stamp);
    const auto row = decode_record(hex(std::string("00 13 00 00 00 00 00 00 00 00 ") + c.stamp), 1, none);
    EXPECT_EQ(row.date_time, c.text);
    EXPECT_EQ(row.when, c.when);
    EXPECT_EQ(row.columns.size(), 4u);  // the record is decoded as usual
  }
}

TEST(EventDecoder, DateAndTimeTexts) {
  EXPECT_EQ(date_text(0x09, 0x12, 0x26), "09.12.26");
  EXPECT_EQ(time_text(0x14, 0x30, 0x05), "14:30:05");
  EXPECT_EQ(time_text(0x00, 0x01, 0x1A), "00:01:20");
  EXPECT_EQ(date_text(0xFF, 0xA0, 0x00), "165.100.00");  // a field past 99 is not cut
}

TEST(EventDecoder, ShortRecordReadsMissingBytesAsZero) {
  const auto row = decode_record(hex("00 13"), 1, Companions{});
  EXPECT_EQ(row.event_id, 4864u);
  EXPECT_EQ(row.date_time, "30.12.1899");
  EXPECT_EQ(row.columns, (Texts{"Неисправность", "Система", "Вскрытие", "ППК"}));
}

TEST(EventDecoder, EmptyJournalAndNoCompanions) {
  EXPECT_TRUE(decode_journal(journal_of({}), Companions{}).empty());
  // Without any companion table every partition falls back to its number.
  const auto rows = decode_journal(journal_of(Rec{.group = 52, .sub = 2, .b2 = 1, .b4 = 0x21, .p = 3}.bytes()), {});
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].columns, (Texts{"Взят", "разд3", "Пользователь001", "ТМ#001"}));
}

TEST(PartitionLabel, NameRule) {
  const auto c = fixture_companions();
  struct Case {
    std::uint32_t partition;
    const char* label;
  };
  const Case cases[] = {
      {0, "Неверное событие"},
      {1, "hall1"},         // Latin capitals lowered, blanks gone
      {2, "кухня"},
      {3, "Складbig"},      // a Cyrillic capital stays
      {4, "Раздел"},        // "Разд" is not "разд"
      {5, "разд5"},
      {6, "офис2этаж"},
      {7, "bigраздhall7"},  // the number goes at the end, after the blanks are gone
      {8, "разд8"},         // no name for it
  };
  for (const auto& k : cases) EXPECT_EQ(partition_label(k.partition, c), k.label) << k.partition;
}

TEST(Abbreviations, RadioModuleAndIdentifier) {
  struct Case {
    std::uint32_t code;
    const char* text;
  };
  const Case radio[] = {
      {1, "СМК"},   {2, "ИК"},    {3, "АК"},    {4, "РПД"},   {5, "ВБР"},   {18, "БР"},   {31, "ИП"},
      {32, "ИП"},   {33, "ИПР"},  {34, "ИПР"},  {35, "ИПТ"},  {65, "СЗО"},  {66, "ОПР"},  {70, "ОПС"},
      {80, "ОПИ"},  {90, "ДУВ"},  {224, "РТМ"}, {225, "РТМ"}, {226, "РТМ"}, {228, "РТМ"}, {229, "РТМ"},
      {238, "РПП"}, {0, "РПД"},   {99, "РПД"},  {227, "РПД"}, {255, "РПД"}, {256, "РПД"}, {257, "РПД"},
  };
  for (const auto& k : radio) EXPECT_EQ(radio_abbreviation(k.code), k.text) << "radio " << k.code;

  const Case modules[] = {{526, "МР"}, {518, "PSTN"}, {517, "GSM"}, {6172, "РПП"}, {0, ""}, {630, ""}, {6173, ""}};
  for (const auto& k : modules) EXPECT_EQ(module_name(k.code), k.text) << "module " << k.code;

  const Case idents[] = {{1, "ПИН"}, {2, "ТМ"}, {3, "БР"}, {0, ""}, {4, ""}, {15, ""}};
  for (const auto& k : idents) EXPECT_EQ(identifier_name(k.code), k.text) << "identifier " << k.code;
}

TEST(Pad, NumbersAndTexts) {
  EXPECT_EQ(pad(std::uint64_t{7}, 3), "007");
  EXPECT_EQ(pad(std::uint64_t{0}, 2), "00");
  EXPECT_EQ(pad(std::uint64_t{1234}, 3), "1234");  // not cut
  EXPECT_EQ(pad(std::uint64_t{5}, 0), "5");
  EXPECT_EQ(pad("ab", 4), "00ab");
  EXPECT_EQ(pad("ЖЖ", 3, ' '), " ЖЖ");  // characters, not bytes
  EXPECT_EQ(pad("", 2, '-'), "--");
}

// The texts are taken from the message table in force at decoding time.
class ReplacedMessages : public testing::Test {
 protected:
  void TearDown() override { shell::set_messages(shell::MessageTable::builtin()); }
};

TEST_F(ReplacedMessages, DecodedTextsFollowTheTable) {
  auto table = shell::MessageTable::builtin();
  table.set(15197, "PANEL");
  table.set(15216, "Fault");
  table.set(15190, "кух");  // the label marker
  table.set(15063, "RDV");
  table.set(15191, "GSM-X");
  shell::set_messages(std::move(table));

  const auto c = fixture_companions();
  EXPECT_EQ(decode_record(hex("00 13 00 00 00 00 00 00 00 00 05 30 14 09 12 26"), 1, c).columns,
            (Texts{"Fault", "Система", "Вскрытие", "PANEL"}));
  EXPECT_EQ(partition_label(2, c), "кухня2");
  EXPECT_EQ(partition_label(5, c), "разд");
  EXPECT_EQ(partition_label(40, c), "кух40");
  EXPECT_EQ(radio_abbreviation(4), "RDV");
  EXPECT_EQ(radio_abbreviation(99), "РПД");  // the fallback is no message
  EXPECT_EQ(module_name(517), "GSM-X");

  // An empty marker text appends no number.
  auto blank = shell::MessageTable::builtin();
  blank.set(15190, "");
  shell::set_messages(std::move(blank));
  EXPECT_EQ(partition_label(1, c), "hall1");
}

}  // namespace
