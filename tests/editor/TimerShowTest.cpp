#include "editor/TimerShow.h"

#include "tests/support/TestEnvironment.h"

#include <QTest>

#include <gtest/gtest.h>

#include <cstdint>

namespace {

TEST(TimerShow, FormatsHoursMinutesSecondsHundredths)
{
    const std::pair<uint32_t, const char*> table[] = {
        {0, "00:00:00:00"},          {3723450, "01:02:03:45"},      {59999, "00:00:59:99"},
        {360000000, "100:00:00:00"}, {UINT32_MAX, "1193:02:47:29"},
    };
    for (const auto& [ms, text] : table)
        EXPECT_EQ(CTimerShow::FormatTime(ms), QString::fromLatin1(text)) << ms;
}

TEST(TimerShow, CountsOnFromTheStartTimeByElapsedTime)
{
    int64_t now = 5000;
    CTimerShow clock(nullptr, [&now] { return now; });
    clock.SetTime(42);
    EXPECT_EQ(clock.GetTime(), 42u);
    EXPECT_FALSE(clock.IsTimerRunning());

    clock.Start(1000);
    EXPECT_TRUE(clock.IsCounting());
    EXPECT_TRUE(clock.IsTimerRunning());
    now = 5250;
    EXPECT_TRUE(TestEnvironment::WaitFor([&] { return clock.GetTime() == 1250; }));
    now = 3723450 - 1000 + 5000;
    EXPECT_TRUE(TestEnvironment::WaitFor([&] { return clock.GetTime() == 3723450; }));

    clock.Stop();
    EXPECT_FALSE(clock.IsCounting());
    EXPECT_FALSE(clock.IsTimerRunning());
    now += 10000;
    QTest::qWait(30);
    EXPECT_EQ(clock.GetTime(), 3723450u) << "a stopped clock keeps its last time";

    clock.Start(0); // counts afresh from the new start
    now += 20;
    EXPECT_TRUE(TestEnvironment::WaitFor([&] { return clock.GetTime() == 20; }));
}

} // namespace
