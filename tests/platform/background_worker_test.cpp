#include "background_worker.h"

#include "platform_test_support.h"

#include <QCoreApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int hangGuardMs = 30000;

// Holds jobs back until it opens or they are asked to stop. The limit only keeps a broken build
// from hanging.
class TGate {
public:
    void Open() {
        {
            std::lock_guard lock(FMutex);
            FOpen = true;
        }
        FChanged.notify_all();
    }
    // Whether it opened.
    bool Wait(std::stop_token stop = {}) {
        std::unique_lock lock(FMutex);
        return FChanged.wait_for(lock, stop, std::chrono::milliseconds(hangGuardMs),
                                 [this] { return FOpen; });
    }

private:
    std::mutex FMutex;
    std::condition_variable_any FChanged;
    bool FOpen = false;
};

struct TSeen {
    bool Final = false;
    uint64_t JobId = 0, Generation = 0;
    int Stage = 0, Percent = 0;
    std::vector<int> Payload;
    TJobState State = TJobState::Done;
    QString Error;
    bool HasResult = false;
    bool AsInt = false; // a result read as another type than it has
    std::string Text;   // a std::string result
};

// A receiver that keeps every job event it gets, in order, with the jobs it submits.
class TRecorder : public QObject {
public:
    explicit TRecorder(TBackgroundWorker& pool) : Jobs(*this, pool) {}

    std::vector<TSeen> Seen;
    TJobOwner Jobs; // after what the jobs' events fill

    std::vector<TSeen> Of(const TJobHandle& job) const {
        std::vector<TSeen> of;
        for (const TSeen& s : Seen)
            if (s.JobId == job.Id()) of.push_back(s);
        return of;
    }
    int Finals(const TJobHandle& job) const {
        int n = 0;
        for (const TSeen& s : Of(job)) n += s.Final;
        return n;
    }
    // Processes events until the job's final event is in.
    bool WaitForFinal(const TJobHandle& job) {
        return QTest::qWaitFor([&] { return Finals(job) > 0; }, hangGuardMs);
    }

protected:
    bool event(QEvent* e) override {
        if (e->type() == TJobProgressEvent::EventType()) {
            const auto* p = static_cast<TJobProgressEvent*>(e);
            TSeen s;
            s.JobId = p->JobId(), s.Generation = p->Generation();
            s.Stage = p->Stage(), s.Percent = p->Percent();
            if (const auto* payload = p->Payload<std::vector<int>>()) s.Payload = *payload;
            Seen.push_back(s);
            return true;
        }
        if (e->type() == TJobFinishedEvent::EventType()) {
            const auto* f = static_cast<TJobFinishedEvent*>(e);
            TSeen s;
            s.Final = true, s.JobId = f->JobId(), s.Generation = f->Generation();
            s.State = f->State(), s.Error = f->Error();
            if (const auto* text = f->Result<std::string>()) s.HasResult = true, s.Text = *text;
            s.AsInt = f->Result<int>() != nullptr;
            Seen.push_back(s);
            return true;
        }
        return QObject::event(e);
    }
};

// A job that runs until it is asked to stop, and says when it started and how it ended.
struct TStoppable {
    TGate Started;
    std::atomic<bool> SawStop = false;
    std::function<std::string(TJobContext&)> Job() {
        return [this](TJobContext& context) {
            context.Progress(1, 0);
            Started.Open();
            TGate never;
            never.Wait(context.StopToken());
            SawStop = context.StopRequested();
            // Winds down a little later, as a job finishing its step does, so that a stop that
            // does not wait for it is seen.
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            return std::string("too late");
        };
    }
};

} // namespace

TEST(BackgroundWorker, OneThreadPerCoreAtMostFour) {
    const struct {
        unsigned Hardware;
        int Threads;
    } cases[] = {{0, 1}, {1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 4}, {64, 4}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Hardware);
        EXPECT_EQ(TBackgroundWorker::ThreadCountFor(c.Hardware), c.Threads);
    }
    EXPECT_EQ(TBackgroundWorker(0).ThreadCount(), 1);

    // Two threads run two jobs at once, and a third waits for one of them.
    TGate release;
    std::atomic<int> running = 0, most = 0;
    TBackgroundWorker pool(2);
    ASSERT_EQ(pool.ThreadCount(), 2);
    TRecorder receiver(pool);
    auto job = [&](TJobContext& context) {
        const int now = ++running;
        for (int m = most; m < now && !most.compare_exchange_weak(m, now);) continue;
        release.Wait(context.StopToken());
        --running;
    };
    const TJobHandle jobs[] = {receiver.Jobs.Submit(job), receiver.Jobs.Submit(job),
                               receiver.Jobs.Submit(job)};
    ASSERT_TRUE(QTest::qWaitFor([&] { return running == 2; }, hangGuardMs));
    EXPECT_FALSE(jobs[2].Outcome());
    release.Open();
    for (const TJobHandle& j : jobs) ASSERT_TRUE(receiver.WaitForFinal(j));
    EXPECT_EQ(most, 2);
}

TEST(BackgroundWorker, HigherPriorityFirstAndEqualOnesInOrder) {
    TGate started, release;
    std::mutex mutex;
    std::string order;
    TBackgroundWorker pool(1);
    TRecorder receiver(pool);
    const TJobHandle blocker = receiver.Jobs.Submit([&](TJobContext& context) {
        started.Open();
        release.Wait(context.StopToken());
    });
    ASSERT_TRUE(started.Wait());
    auto submit = [&](char name, int priority) {
        return receiver.Jobs.Submit(
            [&, name](TJobContext&) {
                std::lock_guard lock(mutex);
                order += name;
            },
            {.Priority = priority});
    };
    TJobHandle a = submit('a', 0), b = submit('b', 5), c = submit('c', 0), d = submit('d', 5),
               e = submit('e', 1), f = submit('f', 0), g = submit('g', 2);
    f.SetPriority(9); // a visible one goes ahead
    c.SetPriority(5); // keeps its place behind b, submitted earlier
    d.SetPriority(-1);
    g.Cancel();
    EXPECT_EQ(g.Outcome(), TJobState::Cancelled); // at once, never started
    blocker.SetPriority(100);                     // running: nothing to move
    release.Open();
    for (const TJobHandle& j : {a, b, c, d, e, f, g}) ASSERT_TRUE(receiver.WaitForFinal(j));
    std::lock_guard lock(mutex);
    EXPECT_EQ(order, "fbcead");
}

TEST(BackgroundWorker, OneFinalEventOnEveryWayAJobEnds) {
    const struct Case {
        const char* Name;
        std::function<std::string(TJobContext&)> Job;
        TJobState State;
        QString Error;
        bool HasResult;
    } cases[] = {
        {"answers",
         [](TJobContext&) { return std::string("photo.png"); },
         TJobState::Done,
         {},
         true},
        {"throws a std::exception",
         [](TJobContext&) -> std::string { throw std::runtime_error("Cannot open file"); },
         TJobState::Failed, "Cannot open file", false},
        {"throws something else",
         [](TJobContext&) -> std::string { throw 42; },
         TJobState::Failed,
         {},
         false},
    };
    TBackgroundWorker pool(2);
    TRecorder receiver(pool);
    uint64_t generation = 100;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        std::atomic<std::thread::id> ranOn;
        const TJobHandle job = receiver.Jobs.Submit(
            [&](TJobContext& context) {
                ranOn = std::this_thread::get_id();
                return c.Job(context);
            },
            {.Generation = ++generation});
        ASSERT_TRUE(receiver.WaitForFinal(job));
        job.Wait();
        QCoreApplication::processEvents(); // anything posted after the final event
        const std::vector<TSeen> seen = receiver.Of(job);
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_TRUE(seen[0].Final);
        EXPECT_EQ(seen[0].Generation, generation);
        EXPECT_EQ(seen[0].State, c.State);
        EXPECT_EQ(job.Outcome(), c.State);
        EXPECT_EQ(seen[0].Error, c.Error);
        EXPECT_EQ(seen[0].HasResult, c.HasResult);
        EXPECT_FALSE(seen[0].AsInt);
        EXPECT_EQ(seen[0].Text, c.HasResult ? "photo.png" : "");
        EXPECT_NE(ranOn.load(), std::this_thread::get_id());
    }

    // Without a value to answer, done carries no result.
    const TJobHandle plain = receiver.Jobs.Submit([](TJobContext&) {});
    ASSERT_TRUE(receiver.WaitForFinal(plain));
    EXPECT_EQ(receiver.Of(plain).back().State, TJobState::Done);
    EXPECT_FALSE(receiver.Of(plain).back().HasResult);
}

TEST(BackgroundWorker, CancelledBeforeItStartsOrWhileItRuns) {
    TStoppable running;
    std::atomic<bool> queuedRan = false;
    TBackgroundWorker pool(1);
    TRecorder receiver(pool);
    const TJobHandle first = receiver.Jobs.Submit(running.Job(), {.Generation = 1});
    const TJobHandle queued = receiver.Jobs.Submit(
        [&](TJobContext&) {
            queuedRan = true;
            return std::string("never");
        },
        {.Generation = 2});
    ASSERT_TRUE(running.Started.Wait());

    queued.Cancel();
    EXPECT_EQ(queued.Outcome(), TJobState::Cancelled);
    first.Cancel();
    first.Wait();
    EXPECT_TRUE(running.SawStop);
    EXPECT_EQ(first.Outcome(), TJobState::Cancelled);
    ASSERT_TRUE(receiver.WaitForFinal(first));
    ASSERT_TRUE(receiver.WaitForFinal(queued));
    QCoreApplication::processEvents();
    EXPECT_FALSE(queuedRan);

    // The answer of a job asked to stop is dropped; its progress came before its end.
    const std::vector<TSeen> ran = receiver.Of(first);
    ASSERT_EQ(ran.size(), 2u);
    EXPECT_FALSE(ran[0].Final);
    EXPECT_TRUE(ran[1].Final);
    EXPECT_EQ(ran[1].State, TJobState::Cancelled);
    EXPECT_FALSE(ran[1].HasResult);
    const std::vector<TSeen> dropped = receiver.Of(queued);
    ASSERT_EQ(dropped.size(), 1u);
    EXPECT_EQ(dropped[0].State, TJobState::Cancelled);
    EXPECT_EQ(dropped[0].Generation, 2u);
}

TEST(BackgroundWorker, ProgressArrivesInOrderBeforeTheFinalEvent) {
    TBackgroundWorker pool(1);
    TRecorder receiver(pool);
    const TJobHandle job = receiver.Jobs.Submit(
        [](TJobContext& context) {
            for (int percent = 0; percent <= 100; percent += 25) context.Progress(1, percent);
            context.Progress(2, 50, std::vector<int>{3, 1, 4});
            return std::string("listed");
        },
        {.Generation = 7});
    ASSERT_TRUE(receiver.WaitForFinal(job));
    const std::vector<TSeen> seen = receiver.Of(job);
    ASSERT_EQ(seen.size(), 7u);
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_FALSE(seen[i].Final);
        EXPECT_EQ(seen[i].Stage, 1);
        EXPECT_EQ(seen[i].Percent, int(i) * 25);
        EXPECT_EQ(seen[i].Generation, 7u);
    }
    EXPECT_EQ(seen[5].Stage, 2);
    EXPECT_EQ(seen[5].Payload, (std::vector<int>{3, 1, 4}));
    EXPECT_TRUE(seen[6].Final);
    EXPECT_EQ(seen[6].Text, "listed");
}

TEST(BackgroundWorker, ReceiverDropsTheAnswerToAnOlderRequest) {
    // Shows the newest request's answer only, however late an older one comes in.
    class TLatest : public QObject {
    public:
        explicit TLatest(TBackgroundWorker& pool) : Jobs(*this, pool) {}
        uint64_t Generation = 0;
        std::string Shown;
        int Dropped = 0;
        TJobOwner Jobs;

    protected:
        bool event(QEvent* e) override {
            if (e->type() != TJobFinishedEvent::EventType()) return QObject::event(e);
            const auto* f = static_cast<TJobFinishedEvent*>(e);
            if (f->Generation() != Generation)
                ++Dropped;
            else if (const auto* text = f->Result<std::string>())
                Shown = *text;
            return true;
        }
    };
    TGate release;
    TBackgroundWorker pool(2);
    TLatest receiver(pool);
    const TJobHandle older = receiver.Jobs.Submit(
        [&](TJobContext& context) {
            release.Wait(context.StopToken());
            return std::string("older");
        },
        {.Generation = ++receiver.Generation});
    const TJobHandle newer = receiver.Jobs.Submit([](TJobContext&) { return std::string("newer"); },
                                                  {.Generation = ++receiver.Generation});
    ASSERT_TRUE(QTest::qWaitFor([&] { return receiver.Shown == "newer"; }, hangGuardMs));
    release.Open();
    ASSERT_TRUE(QTest::qWaitFor([&] { return receiver.Dropped == 1; }, hangGuardMs));
    EXPECT_EQ(receiver.Shown, "newer");
    EXPECT_EQ(older.Outcome(), TJobState::Done);
}

TEST(BackgroundWorker, DestroyedReceiverStopsItsJobsAndGetsNoEvent) {
    // Any job event Qt hands to the address of the destroyed receiver.
    class TDeadWatch : public QObject {
    public:
        const QObject* Dead = nullptr;
        int Delivered = 0;
        bool eventFilter(QObject* target, QEvent* e) override {
            if (Dead && target == Dead &&
                (e->type() == TJobFinishedEvent::EventType() ||
                 e->type() == TJobProgressEvent::EventType()))
                ++Delivered;
            return false;
        }
    } watch;
    QCoreApplication::instance()->installEventFilter(&watch);

    TStoppable running;
    std::atomic<int> queuedRan = 0;
    TBackgroundWorker pool(1);
    auto* receiver = new TRecorder(pool);
    auto queuedJob = [&](TJobContext&) { ++queuedRan; };
    const TJobHandle jobs[] = {receiver->Jobs.Submit(running.Job()),
                               receiver->Jobs.Submit(queuedJob), receiver->Jobs.Submit(queuedJob)};
    ASSERT_TRUE(running.Started.Wait());
    watch.Dead = receiver;
    delete receiver;
    EXPECT_TRUE(running.SawStop);
    for (const TJobHandle& j : jobs) EXPECT_EQ(j.Outcome(), TJobState::Cancelled);
    EXPECT_EQ(queuedRan, 0);
    // The pool goes on for others.
    TRecorder other(pool);
    const TJobHandle next = other.Jobs.Submit([](TJobContext&) { return std::string("next"); });
    ASSERT_TRUE(other.WaitForFinal(next));
    QCoreApplication::processEvents();
    EXPECT_EQ(watch.Delivered, 0);
    QCoreApplication::instance()->removeEventFilter(&watch);
}

TEST(BackgroundWorker, PoolShutdownCancelsWhatWaitsAndStopsWhatRuns) {
    TStoppable running;
    std::atomic<int> queuedRan = 0;
    auto pool = std::make_unique<TBackgroundWorker>(1);
    TRecorder receiver(*pool);
    auto queuedJob = [&](TJobContext&) { ++queuedRan; };
    const TJobHandle jobs[] = {receiver.Jobs.Submit(running.Job()), receiver.Jobs.Submit(queuedJob),
                               receiver.Jobs.Submit(queuedJob)};
    ASSERT_TRUE(running.Started.Wait());
    pool.reset();
    EXPECT_TRUE(running.SawStop);
    EXPECT_EQ(queuedRan, 0);
    // Once the pool is gone a job is cancelled as it is submitted.
    const TJobHandle late = receiver.Jobs.Submit([](TJobContext&) { return std::string("late"); });
    EXPECT_EQ(late.Outcome(), TJobState::Cancelled);
    for (const TJobHandle& j : {jobs[0], jobs[1], jobs[2], late}) {
        ASSERT_TRUE(receiver.WaitForFinal(j));
        EXPECT_EQ(j.Outcome(), TJobState::Cancelled);
    }
    QCoreApplication::processEvents();
    for (const TJobHandle& j : {jobs[0], jobs[1], jobs[2], late}) {
        EXPECT_EQ(receiver.Finals(j), 1);
        EXPECT_EQ(receiver.Of(j).back().State, TJobState::Cancelled);
        EXPECT_FALSE(receiver.Of(j).back().HasResult);
    }
}
