#include "common/ManualResetEvent.h"

#include <gtest/gtest.h>
#include <thread>

TEST(ManualResetEventTest, StaysSetUntilReset)
{
    CManualResetEvent event;
    EXPECT_FALSE(event.Wait(0));
    event.Set();
    EXPECT_TRUE(event.Wait(0));
    EXPECT_TRUE(event.Wait(0)) << "a wait does not reset it";
    event.Reset();
    EXPECT_FALSE(event.Wait(0));
}

TEST(ManualResetEventTest, SetWakesEveryWaiter)
{
    CManualResetEvent event;
    bool woken[2] = {false, false};
    std::thread first([&] { woken[0] = event.Wait(0xFFFFFFF6); });
    std::thread second([&] { woken[1] = event.Wait(0xFFFFFFF6); });
    event.Set();
    first.join();
    second.join();
    EXPECT_TRUE(woken[0]);
    EXPECT_TRUE(woken[1]);
}
