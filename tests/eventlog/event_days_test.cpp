// Events per day by kind: the chart's counts.
#include <gtest/gtest.h>

#include "eventlog/event_days.hpp"

namespace vq::eventlog {
namespace {

EventRow row(std::uint32_t id, int y, int m, int d) {
  EventRow r;
  r.event_id = id;
  r.when = EventDateTime{y, m, d, 10, 0, 0};
  return r;
}

TEST(EventKind, ByGroup) {
  struct Case {
    std::uint32_t id;
    EventKind kind;
  } cases[] = {
      {4368, EventKind::alarm},  {4400, EventKind::alarm},   {4864, EventKind::fault},  {4996, EventKind::fault},
      {5122, EventKind::arming}, {13314, EventKind::arming}, {13056, EventKind::other}, {5425, EventKind::other},
      {0, EventKind::other},
  };
  for (const auto& c : cases) EXPECT_EQ(event_kind(c.id), c.kind) << c.id;
}

TEST(EventsPerDay, EveryDayOfThePeriodCountedByKindAcrossAMonthEnd) {
  const std::vector<EventRow> rows = {row(4368, 2026, 11, 29), row(4864, 2026, 12, 1), row(4864, 2026, 12, 1),
                                      row(5122, 2026, 12, 1),  row(13056, 2026, 11, 29), EventRow{}};  // zero date left out
  const auto days = events_per_day(rows);
  ASSERT_EQ(days.size(), 3u);
  EXPECT_EQ(days[0].day, 29);
  EXPECT_EQ(days[1].day, 30);
  EXPECT_EQ(days[1].total(), 0u);
  EXPECT_EQ(days[2].month, 12);
  EXPECT_EQ(days[0].counts, (std::array<std::size_t, 4>{1, 0, 0, 1}));
  EXPECT_EQ(days[2].counts, (std::array<std::size_t, 4>{0, 2, 1, 0}));
}

TEST(EventsPerDay, NoDatedRowsNoDaysAndAStrayDateCannotMakeThePeriodHuge) {
  EXPECT_TRUE(events_per_day({EventRow{}}).empty());
  const auto days = events_per_day({row(4368, 2000, 1, 1), row(4864, 2026, 12, 1)}, 10);
  ASSERT_EQ(days.size(), 10u);
  EXPECT_EQ(days.back().counts[1], 1u);
  EXPECT_EQ(days.front().day, 22);
}

}  // namespace
}  // namespace vq::eventlog
