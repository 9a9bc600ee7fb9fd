// Device type and notice type names.
#include <gtest/gtest.h>

#include "link/trace.hpp"
#include "memory/type_names.hpp"
#include "shell/messages.hpp"

using namespace vq::memory;

namespace {

// Puts the built-in table back whatever the test does.
struct RestoreMessages {
  ~RestoreMessages() { vq::shell::set_messages(vq::shell::MessageTable::builtin()); }
};

}  // namespace

TEST(TypeNames, DeviceTypeNames) {
  struct Case {
    int code;
    const char* name;
  };
  const Case cases[] = {
      {1, "СМК"},   {2, "ИК"},    {3, "АК"},    {4, "РПД"},   {5, "ВБР"},   {18, "БР"},
      {31, "ИП"},   {32, "ИП"},   {33, "ИПР"},  {34, "ИПР"},  {35, "ИПТ"},  {65, "СЗО"},
      {66, "ОПР"},  {70, "ОПС"},  {90, "ДУВ"},  {224, "РТМ"}, {225, "РТМ"}, {226, "РТМ"},
      {228, "РТМ"}, {229, "РТМ"}, {238, "РПП"},
  };
  vq::link::VectorTrace log;
  for (const auto& c : cases) EXPECT_EQ(device_type_name(c.code, &log), c.name) << c.code;
  EXPECT_TRUE(log.lines.empty());
}

TEST(TypeNames, UnknownDeviceTypeIsEmptyAndLogged) {
  vq::link::VectorTrace log;
  for (int code : {227, 0, 6, 36, 230, 239, -1}) EXPECT_EQ(device_type_name(code, &log), "") << code;
  EXPECT_EQ(log.lines, (std::vector<std::string>{"227", "0", "6", "36", "230", "239", "-1"}));
  EXPECT_EQ(device_type_name(227), "");  // no log: nothing to write to
}

TEST(TypeNames, NoticeTypeNames) {
  struct Case {
    int code;
    const char* name;
  };
  const Case cases[] = {{1, "Речевое"}, {2, "SMS"}, {3, "Тональное"}, {4, "ContactID"}, {5, "SIA"},
                        {0, "-"},       {6, "-"},   {255, "-"}};
  for (const auto& c : cases) EXPECT_EQ(notice_type_name(c.code), c.name) << c.code;
}

TEST(TypeNames, NamesComeFromTheMessageTableInUse) {
  RestoreMessages restore;
  vq::shell::MessageTable table = vq::shell::MessageTable::builtin();
  table.set(15067, "RTM");
  table.set(15280, "SIA-DC");
  vq::shell::set_messages(std::move(table));
  EXPECT_EQ(device_type_name(228), "RTM");
  EXPECT_EQ(notice_type_name(5), "SIA-DC");
}
