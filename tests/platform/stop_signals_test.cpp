#include "platform/process/stop_signals.h"

#include <atomic>
#include <csignal>
#include <gtest/gtest.h>
#include <stdexcept>

namespace corvath {
namespace {

std::atomic<int> lastSeen{0};

void SeeSignal(int signal)
{
    lastSeen = signal;
}

TEST(StopSignalsTest, EachSignalIsNotedInsteadOfEndingTheProcess)
{
    const StopSignals stopSignals;
    EXPECT_FALSE(stopSignals.Take());
    for (const int signal : StopSignals::kSignals) {
        SCOPED_TRACE(signal);
        ASSERT_EQ(std::raise(signal), 0);
        EXPECT_EQ(stopSignals.Take(), signal) << "which one came";
        EXPECT_FALSE(stopSignals.Take()) << "taken once";
    }
    // Many at once before anyone reads: still one signal to act on, and no write blocks.
    for (int i = 0; i < 100000; ++i)
        std::raise(SIGTERM);
    EXPECT_TRUE(stopSignals.Take());
}

TEST(StopSignalsTest, TheActionsOfBeforeComeBack)
{
    struct sigaction seeing {};
    seeing.sa_handler = SeeSignal;
    sigemptyset(&seeing.sa_mask);
    for (const int signal : StopSignals::kSignals) {
        SCOPED_TRACE(signal);
        struct sigaction original {};
        ASSERT_EQ(::sigaction(signal, &seeing, &original), 0);
        lastSeen = 0;
        {
            const StopSignals stopSignals;
            std::raise(signal);
            EXPECT_TRUE(stopSignals.Take());
            EXPECT_EQ(lastSeen, 0);
        }
        std::raise(signal);
        EXPECT_EQ(lastSeen, signal);
        ::sigaction(signal, &original, nullptr);
    }
}

TEST(StopSignalsTest, OneAtATime)
{
    {
        const StopSignals first;
        EXPECT_THROW(StopSignals(), std::logic_error);
        std::raise(SIGHUP);
        EXPECT_TRUE(first.Take()) << "the first one still takes the signals";
    }
    const StopSignals later;
    std::raise(SIGINT);
    EXPECT_TRUE(later.Take());
}

} // namespace
} // namespace corvath
