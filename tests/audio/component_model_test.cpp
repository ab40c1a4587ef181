#include "audio/model/au_converter.h"
#include "audio/model/event_handler.h"
#include "audio/wave/wave_out.h"
#include "support/fake_components.h"

#include <gtest/gtest.h>
#include <thread>

namespace corvath {
namespace {

using namespace std::chrono_literals;
using test::FakeSource;
using test::MemorySink;

// What the main thread saw of one sink.
struct Journal {
    std::vector<std::string> events;
    std::vector<int> progress;
    std::thread::id mainThread = std::this_thread::get_id();
    bool offMainThread = false;

    void Attach(TAuOutput& sink)
    {
        sink.SetOnProgress([this](TAuOutput* s) { Record("progress", s); });
        sink.SetOnDone([this](TAuOutput* s) { Record("done", s); });
        sink.SetOnThreadException([this](TAuOutput* s) { Record("error:" + s->LastError(), s); });
    }
    void Record(const std::string& what, TAuOutput* sender)
    {
        offMainThread |= std::this_thread::get_id() != mainThread;
        events.push_back(what);
        if (what == "progress")
            progress.push_back(sender->PercentDone());
        if (what == "done")
            busyAtDone = sender->IsBusy();
    }
    int Count(const std::string& what) const
    {
        return static_cast<int>(std::count(events.begin(), events.end(), what));
    }
    bool busyAtDone = true;
};

class ComponentModelTest : public test::MainThreadFixture {
protected:
    void SetUp() override
    {
        MainThreadFixture::SetUp();
        source_ = MakeComponent<FakeSource>();
        sink_ = MakeComponent<MemorySink>();
        sink_->SetInput(source_.get());
        journal_.Attach(*sink_);
    }
    void TearDown() override
    {
        sink_.reset();
        source_.reset();
        MainThreadFixture::TearDown();
    }
    bool WaitForDone(int count = 1)
    {
        return PumpUntil([&] { return journal_.Count("done") >= count; });
    }

    Owned<FakeSource> source_;
    Owned<MemorySink> sink_;
    Journal journal_;
};

TEST_F(ComponentModelTest, RunDeliversEverythingAndEndsWithOneDoneOnTheMainThread)
{
    source_->delay = 200us;
    sink_->Start();
    ASSERT_TRUE(WaitForDone());
    Pump(400ms);

    EXPECT_EQ(sink_->written.size(), static_cast<std::size_t>(source_->total));
    EXPECT_EQ(sink_->written[1000], 1000 % 251);
    EXPECT_EQ(journal_.Count("done"), 1);
    EXPECT_EQ(journal_.events.back(), "done");
    EXPECT_FALSE(journal_.offMainThread);
    EXPECT_FALSE(journal_.busyAtDone) << "OnDone came before the worker was idle";
    EXPECT_FALSE(journal_.progress.empty());
    EXPECT_TRUE(std::is_sorted(journal_.progress.begin(), journal_.progress.end()));
    EXPECT_EQ(source_->closes, 1);
    EXPECT_FALSE(source_->IsBusy());
    EXPECT_EQ(sink_->finishes, 1);
    EXPECT_FALSE(sink_->stoppedAtFinish);
}

TEST_F(ComponentModelTest, DoneHandlerMayStartTheNextRunAtOnce)
{
    int runs = 0;
    sink_->SetOnDone([&](TAuOutput* sender) {
        if (++runs < 3)
            sender->Start();
    });
    sink_->Start();
    ASSERT_TRUE(PumpUntil([&] { return runs == 3; }));
    EXPECT_EQ(source_->opens, 3);
    EXPECT_EQ(sink_->written.size(), static_cast<std::size_t>(source_->total));
}

TEST_F(ComponentModelTest, StartRefusesABusySinkAndAMissingInput)
{
    source_->delay = 1ms;
    sink_->Start();
    ASSERT_TRUE(PumpUntil([&] { return sink_->IsBusy(); }));
    try {
        sink_->Start();
        FAIL();
    } catch (const EAuException& error) {
        EXPECT_STREQ(error.what(), "Component is Busy");
    }
    sink_->StopOutput(false);

    auto lonely = MakeComponent<MemorySink>();
    try {
        lonely->Start();
        FAIL();
    } catch (const EAuException& error) {
        EXPECT_STREQ(error.what(), "Input is not assigned");
    }
    EXPECT_FALSE(lonely->IsBusy());
}

TEST_F(ComponentModelTest, AsyncStopFinishesTheFileAndStillReportsDone)
{
    source_->delay = 1ms;
    sink_->Start();
    ASSERT_TRUE(PumpUntil([&] { return source_->Position() > 0; }));
    sink_->StopOutput(true);
    ASSERT_TRUE(WaitForDone());
    EXPECT_TRUE(sink_->stoppedAtFinish);
    EXPECT_FALSE(sink_->WasStopped());
    EXPECT_LT(sink_->written.size(), static_cast<std::size_t>(source_->total));
    EXPECT_FALSE(source_->IsBusy());
}

TEST_F(ComponentModelTest, WaitingStopReturnsWithAnIdleWorkerAndNoDoneFollows)
{
    source_->delay = 1ms;
    sink_->Start();
    ASSERT_TRUE(PumpUntil([&] { return source_->Position() > 0; }));
    sink_->StopOutput(false);
    EXPECT_FALSE(sink_->IsBusy());
    EXPECT_EQ(sink_->finishes, 1);
    Pump(600ms);
    EXPECT_EQ(journal_.Count("done"), 0);

    // Idle: returns at once, nothing follows; the sink still runs normally afterwards.
    sink_->StopOutput(false);
    source_->delay = 0us;
    sink_->Start();
    ASSERT_TRUE(WaitForDone());
    EXPECT_EQ(sink_->written.size(), static_cast<std::size_t>(source_->total));
}

TEST_F(ComponentModelTest, WaitingStopServesAWorkerThatWaitsForTheMainThread)
{
    source_->delay = 1ms;
    source_->failAt = 8192;
    sink_->Start();
    // Do not pump: the worker's error report waits for the main thread while we stop.
    std::this_thread::sleep_for(100ms);
    sink_->StopOutput(false);
    EXPECT_FALSE(sink_->IsBusy());
    EXPECT_EQ(journal_.Count("error:the fake broke"), 1);
    Pump(500ms);
    EXPECT_EQ(journal_.Count("done"), 0);
}

TEST_F(ComponentModelTest, FailedRunReportsAndReleasesSoTheNextRunWorks)
{
    source_->failAt = 8192;
    sink_->Start();
    ASSERT_TRUE(WaitForDone());
    EXPECT_EQ(sink_->LastError(), "the fake broke");
    EXPECT_EQ(journal_.Count("error:the fake broke"), 1);
    EXPECT_EQ(sink_->finishes, 0);
    EXPECT_FALSE(source_->IsBusy()) << "the chain must be closed after a failure";

    source_->failAt = -1;
    sink_->Start();
    EXPECT_EQ(sink_->LastError(), "");
    ASSERT_TRUE(WaitForDone(2));
    EXPECT_EQ(sink_->written.size(), static_cast<std::size_t>(source_->total));
    EXPECT_EQ(sink_->LastError(), "");
}

TEST_F(ComponentModelTest, AThrowingErrorHandlerStillLetsTheRunEnd)
{
    source_->failAt = 8192;
    sink_->SetOnThreadException([&](TAuOutput* sender) {
        journal_.Record("error:" + sender->LastError(), sender);
        throw std::runtime_error("the handler broke");
    });
    sink_->Start();
    ASSERT_TRUE(WaitForDone());
    EXPECT_EQ(journal_.Count("error:the fake broke"), 1);
    EXPECT_FALSE(sink_->IsBusy());

    source_->failAt = -1;
    sink_->Start();
    ASSERT_TRUE(WaitForDone(2));
    EXPECT_EQ(sink_->written.size(), static_cast<std::size_t>(source_->total));
}

TEST_F(ComponentModelTest, FailuresToPrepareOrFinishAreReportedNotSwallowed)
{
    sink_->failPrepare = true;
    sink_->Start();
    ASSERT_TRUE(WaitForDone());
    EXPECT_EQ(sink_->LastError(), "cannot prepare");

    sink_->failPrepare = false;
    sink_->failFinish = true;
    sink_->Start();
    ASSERT_TRUE(WaitForDone(2));
    EXPECT_EQ(sink_->LastError(), "cannot finish");
    EXPECT_FALSE(sink_->IsBusy());
}

// A source that cannot open is at its end; a run that needs its sound fails with the reason.
TEST_F(ComponentModelTest, SourceThatCannotOpenDeliversNothingAndFailsTheRun)
{
    source_->failOpen = true;
    source_->BeginRead();
    EXPECT_EQ(source_->ReadData(100).bytes, 0u);
    sink_->Start();
    ASSERT_TRUE(WaitForDone());
    EXPECT_TRUE(sink_->written.empty());
    EXPECT_EQ(sink_->LastError(), "cannot open the fake");
}

TEST_F(ComponentModelTest, SinkFreedWhileRunningLeavesNothingBehind)
{
    source_->delay = 1ms;
    sink_->Start();
    ASSERT_TRUE(PumpUntil([&] { return source_->Position() > 0; }));
    sink_.reset();
    Pump(500ms);
    EXPECT_EQ(journal_.Count("done"), 0);
    EXPECT_FALSE(source_->IsBusy());
    EXPECT_FALSE(TEventHandler::IsRunning());
}

TEST_F(ComponentModelTest, SinkFreedInsideItsOwnDoneHandler)
{
    sink_->SetOnDone([&](TAuOutput*) { sink_.reset(); });
    sink_->Start();
    ASSERT_TRUE(PumpUntil([&] { return sink_ == nullptr; }));
    ASSERT_TRUE(PumpUntil([] { return !TEventHandler::IsRunning(); }));
}

TEST_F(ComponentModelTest, FreeingTheInputClearsItEverywhere)
{
    struct PassThrough : TAuConverter {
        using TAuConverter::TAuConverter;
        uint32_t GetBitsPerSample() override { return Input()->GetBitsPerSample(); }
        uint32_t GetChannels() override { return Input()->GetChannels(); }
        uint32_t GetSampleRate() override { return Input()->GetSampleRate(); }

    protected:
        void OpenSource() override { Input()->BeginRead(); }
        void CloseSource() override { Input()->EndRead(); }
        AudioChunk ReadChunk(uint32_t wanted) override { return Input()->ReadData(wanted); }
    };
    auto filter = MakeComponent<PassThrough>();
    filter->SetInput(source_.get());
    filter->SetInput(filter.get()); // a filter never reads from itself
    EXPECT_EQ(filter->Input(), source_.get());

    source_.reset();
    EXPECT_EQ(sink_->Input(), nullptr);
    EXPECT_EQ(filter->Input(), nullptr);
}

TEST_F(ComponentModelTest, WhileRunningFreeingTheInputStopsTheSink)
{
    source_->delay = 1ms;
    sink_->Start();
    ASSERT_TRUE(PumpUntil([&] { return source_->Position() > 0; }));
    source_.reset();
    EXPECT_EQ(sink_->Input(), nullptr);
    EXPECT_FALSE(sink_->IsBusy());
}

TEST_F(ComponentModelTest, PercentDoneAndIdleSleep)
{
    auto lonely = MakeComponent<MemorySink>();
    EXPECT_EQ(lonely->PercentDone(), 0);

    source_->announced = -1;
    source_->BeginRead();
    EXPECT_EQ(sink_->PercentDone(), -1);
    source_->EndRead();
    source_->announced = 0;
    source_->BeginRead();
    EXPECT_EQ(sink_->PercentDone(), 0);
    source_->EndRead();
    source_->announced = -2;
    source_->total = 200;
    source_->BeginRead();
    source_->ReadData(1); // 1 of 200 bytes: 0.5 % rounds to even, 0
    EXPECT_EQ(sink_->PercentDone(), 0);
    source_->ReadData(2); // 3 of 200: 1.5 % rounds to 2
    EXPECT_EQ(sink_->PercentDone(), 2);
    while (source_->ReadData(100).bytes > 0) {
    }
    EXPECT_EQ(sink_->PercentDone(), 100);
    source_->EndRead();

    sink_->SetIdleSleepMs(20);
    sink_->SetIdleSleepMs(101);
    EXPECT_EQ(sink_->IdleSleepMs(), 20);
}

TEST_F(ComponentModelTest, EventsArriveInOrderAndNoneAfterDoneAcrossSinks)
{
    auto source2 = MakeComponent<FakeSource>();
    auto sink2 = MakeComponent<MemorySink>();
    sink2->SetInput(source2.get());
    Journal journal2;
    journal2.Attach(*sink2);
    source_->delay = 300us;
    source2->delay = 200us;
    sink_->Start();
    sink2->Start();
    ASSERT_TRUE(
        PumpUntil([&] { return journal_.Count("done") == 1 && journal2.Count("done") == 1; }));
    Pump(300ms);
    for (const Journal* journal : {&journal_, &journal2}) {
        EXPECT_EQ(journal->events.back(), "done");
        EXPECT_TRUE(std::is_sorted(journal->progress.begin(), journal->progress.end()));
    }
    EXPECT_EQ(TEventHandler::OutputCount(), 2);
}

TEST(EventThread, LivesExactlyAsLongAsSomeSink)
{
    ScopedMainThread mainThread;
    EXPECT_FALSE(TEventHandler::IsRunning());
    {
        auto first = MakeComponent<MemorySink>();
        auto second = MakeComponent<MemorySink>();
        EXPECT_TRUE(TEventHandler::IsRunning());
        EXPECT_EQ(TEventHandler::OutputCount(), 2);
    }
    EXPECT_FALSE(TEventHandler::IsRunning());
    auto again = MakeComponent<MemorySink>();
    EXPECT_TRUE(TEventHandler::IsRunning());
}

TEST(MainThreadCalls, AThrowingCallIsDoneAndItsCallerGetsTheException)
{
    CallDispatcher main;
    const auto callFromAnotherThread = [&](std::function<void()> fn) {
        std::string caught;
        std::thread caller([&] {
            try {
                main.InvokeSync(fn);
            } catch (const std::exception& error) {
                caught = error.what();
            }
        });
        while (!main.WaitAndProcess(5ms)) {
        }
        caller.join();
        return caught;
    };
    EXPECT_EQ(callFromAnotherThread([] { throw std::runtime_error("from the main thread"); }),
              "from the main thread");
    int ran = 0;
    EXPECT_EQ(callFromAnotherThread([&] { ++ran; }), "");
    EXPECT_EQ(ran, 1);
}

TEST(MainThreadCalls, PostedCallsRunInOrderWithWaitingOnesAndAThrowStopsNothing)
{
    CallDispatcher main;
    std::vector<std::string> ran;
    main.Post([&] { ran.push_back("posted on the main thread"); }); // queued, not run at once
    EXPECT_TRUE(ran.empty());
    std::thread worker([&] {
        main.Post([&] { ran.push_back("posted 1"); });
        main.Post([] { throw std::runtime_error("dropped"); });
        main.InvokeSync([&] { ran.push_back("waited"); });
        main.Post([&] { ran.push_back("posted 2"); });
    });
    while (ran.size() < 4)
        main.WaitAndProcess(5ms);
    worker.join();
    EXPECT_EQ(ran, (std::vector<std::string>{"posted on the main thread", "posted 1", "waited",
                                             "posted 2"}));
    main.Post([] {}); // still queued when the dispatcher goes: dropped without running
}

TEST(Components, ASinkWhoseConstructorThrowsLeavesNothingRegistered)
{
    struct Refused : TWaveOut {
        Refused(TComponent* owner, TAuInput* input) : TWaveOut(owner)
        {
            SetInput(input);
            throw EAuException("refused");
        }
    };
    ScopedMainThread mainThread;
    std::vector<std::string> freed;
    struct Tracked : TComponent {
        Tracked(TComponent* owner, std::vector<std::string>& log) : TComponent(owner), log_(log) {}
        ~Tracked() override { log_.push_back("kept"); }
        std::vector<std::string>& log_;
    };
    auto window = MakeComponent<TComponent>();
    new Tracked(window.get(), freed);
    auto source = MakeComponent<FakeSource>();
    const int32_t sinks = TEventHandler::OutputCount();
    EXPECT_THROW(new Refused(window.get(), source.get()), EAuException);
    EXPECT_EQ(TEventHandler::OutputCount(), sinks);
    if (sinks == 0) {
        EXPECT_FALSE(TEventHandler::IsRunning());
    }
    source.reset(); // would tell the refused sink that its input went
    window.reset(); // would free the refused sink a second time
    EXPECT_EQ(freed, std::vector<std::string>{"kept"});
}

TEST(Components, OwnerFreesWhatItOwnsFirstMadeLast)
{
    std::vector<std::string> freed;
    struct Tracked : TComponent {
        Tracked(TComponent* owner, std::string name, std::vector<std::string>& log)
            : TComponent(owner), log_(log)
        {
            SetName(std::move(name));
        }
        ~Tracked() override { log_.push_back(Name()); }
        std::vector<std::string>& log_;
    };
    auto window = MakeComponent<Tracked>(nullptr, "window", freed);
    new Tracked(window.get(), "WaveIn1", freed);
    auto* early = new Tracked(window.get(), "gone early", freed);
    new Tracked(window.get(), "WaveOut1", freed);
    early->Free();
    window.reset();
    EXPECT_EQ(freed, (std::vector<std::string>{"gone early", "WaveOut1", "WaveIn1", "window"}));
}

} // namespace
} // namespace corvath
