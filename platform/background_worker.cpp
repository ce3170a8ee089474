#include "background_worker.h"

#include <QCoreApplication>

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <map>
#include <mutex>

namespace worker_detail {

enum class TPhase { Queued, Running, Finished };

struct TQueueKey {
    int Priority;
    uint64_t Sequence;
    // The queue's first entry runs next.
    bool operator<(const TQueueKey& other) const {
        return Priority != other.Priority ? Priority > other.Priority : Sequence < other.Sequence;
    }
};

struct TRecord {
    std::shared_ptr<TCore> Core;
    QObject* Receiver = nullptr; // alive as long as the record is not finished (TJobOwner)
    uint64_t Id = 0, Generation = 0;
    std::unique_ptr<TJobBody> Body;
    std::stop_source Stop;
    // Guarded by Core->Mutex.
    TQueueKey Key{};
    TPhase Phase = TPhase::Queued;
    std::optional<TJobState> Outcome;
};

struct TCore {
    std::mutex Mutex;
    std::condition_variable Work, Ended;
    std::map<TQueueKey, std::shared_ptr<TRecord>> Queue;
    std::vector<std::shared_ptr<TRecord>> Running;
    uint64_t NextId = 1, NextSequence = 0;
    bool Stopping = false;

    void Serve();
    void Run(TRecord& record);
    // Called by whoever took the record off the queue, exactly once.
    void Finish(TRecord& record, TJobState state, QString error,
                std::unique_ptr<TJobResult> result);
};

void TCore::Serve() {
    for (;;) {
        std::shared_ptr<TRecord> record;
        {
            std::unique_lock lock(Mutex);
            Work.wait(lock, [this] { return Stopping || !Queue.empty(); });
            if (Stopping) return;
            auto first = Queue.begin();
            record = std::move(first->second);
            Queue.erase(first);
            record->Phase = TPhase::Running;
            Running.push_back(record);
        }
        Run(*record);
    }
}

void TCore::Run(TRecord& record) {
    TJobContext context(record);
    std::unique_ptr<TJobResult> result;
    TJobState state = TJobState::Done;
    QString error;
    try {
        result = record.Body->Run(context);
    } catch (const std::exception& e) {
        state = TJobState::Failed;
        error = QString::fromUtf8(e.what());
    } catch (...) {
        state = TJobState::Failed;
    }
    if (record.Stop.stop_requested()) {
        state = TJobState::Cancelled;
        error.clear();
        result.reset();
    }
    Finish(record, state, std::move(error), std::move(result));
}

void TCore::Finish(TRecord& record, TJobState state, QString error,
                   std::unique_ptr<TJobResult> result) {
    // What the job captured goes before the receiver can learn that it ended.
    record.Body.reset();
    QCoreApplication::postEvent(record.Receiver,
                                new TJobFinishedEvent(record.Id, record.Generation, state,
                                                      std::move(error), std::move(result)));
    {
        std::lock_guard lock(Mutex);
        record.Phase = TPhase::Finished;
        record.Outcome = state;
        std::erase_if(Running, [&](const auto& r) { return r.get() == &record; });
    }
    Ended.notify_all();
}

} // namespace worker_detail

using worker_detail::TPhase;

QEvent::Type TJobProgressEvent::EventType() {
    static const auto type = static_cast<Type>(registerEventType());
    return type;
}

TJobProgressEvent::TJobProgressEvent(uint64_t jobId, uint64_t generation, int stage, int percent,
                                     std::unique_ptr<TJobResult> payload)
    : QEvent(EventType()), FJobId(jobId), FGeneration(generation), FStage(stage), FPercent(percent),
      FPayload(std::move(payload)) {}

QEvent::Type TJobFinishedEvent::EventType() {
    static const auto type = static_cast<Type>(registerEventType());
    return type;
}

TJobFinishedEvent::TJobFinishedEvent(uint64_t jobId, uint64_t generation, TJobState state,
                                     QString error, std::unique_ptr<TJobResult> result)
    : QEvent(EventType()), FJobId(jobId), FGeneration(generation), FState(state),
      FError(std::move(error)), FResult(std::move(result)) {}

TJobContext::TJobContext(const worker_detail::TRecord& record)
    : FRecord(record), FStop(record.Stop.get_token()) {}

void TJobContext::post(int stage, int percent, std::unique_ptr<TJobResult> payload) {
    if (FStop.stop_requested()) return;
    QCoreApplication::postEvent(
        FRecord.Receiver,
        new TJobProgressEvent(FRecord.Id, FRecord.Generation, stage, percent, std::move(payload)));
}

uint64_t TJobHandle::Id() const {
    return FRecord ? FRecord->Id : 0;
}

void TJobHandle::Cancel() const {
    if (!FRecord) return;
    worker_detail::TCore& core = *FRecord->Core;
    FRecord->Stop.request_stop();
    {
        std::lock_guard lock(core.Mutex);
        if (FRecord->Phase != TPhase::Queued) return;
        core.Queue.erase(FRecord->Key);
        FRecord->Phase = TPhase::Running;
    }
    core.Finish(*FRecord, TJobState::Cancelled, {}, nullptr);
}

void TJobHandle::SetPriority(int priority) const {
    if (!FRecord) return;
    std::lock_guard lock(FRecord->Core->Mutex);
    if (FRecord->Phase != TPhase::Queued) return;
    auto node = FRecord->Core->Queue.extract(FRecord->Key);
    FRecord->Key.Priority = priority;
    node.key() = FRecord->Key;
    FRecord->Core->Queue.insert(std::move(node));
}

void TJobHandle::Wait() const {
    if (!FRecord) return;
    std::unique_lock lock(FRecord->Core->Mutex);
    FRecord->Core->Ended.wait(lock, [this] { return FRecord->Phase == TPhase::Finished; });
}

std::optional<TJobState> TJobHandle::Outcome() const {
    if (!FRecord) return std::nullopt;
    std::lock_guard lock(FRecord->Core->Mutex);
    return FRecord->Outcome;
}

int TBackgroundWorker::ThreadCountFor(unsigned hardwareThreads) {
    return static_cast<int>(std::clamp(hardwareThreads, 1u, 4u));
}

TBackgroundWorker::TBackgroundWorker(int threads)
    : FCore(std::make_shared<worker_detail::TCore>()) {
    for (int i = 0; i < std::max(threads, 1); ++i)
        FThreads.emplace_back([core = FCore] { core->Serve(); });
}

TBackgroundWorker::~TBackgroundWorker() {
    std::vector<std::shared_ptr<worker_detail::TRecord>> dropped;
    {
        std::lock_guard lock(FCore->Mutex);
        FCore->Stopping = true;
        for (auto& [key, record] : FCore->Queue) {
            record->Phase = TPhase::Running;
            dropped.push_back(std::move(record));
        }
        FCore->Queue.clear();
        for (const auto& record : FCore->Running) record->Stop.request_stop();
    }
    FCore->Work.notify_all();
    for (const auto& record : dropped) {
        record->Stop.request_stop();
        FCore->Finish(*record, TJobState::Cancelled, {}, nullptr);
    }
    FThreads.clear(); // joins
}

TBackgroundWorker& TBackgroundWorker::Shared() {
    static TBackgroundWorker pool;
    return pool;
}

TJobOwner::TJobOwner(QObject& receiver, TBackgroundWorker& pool)
    : FReceiver(receiver), FCore(pool.FCore) {}

TJobHandle TJobOwner::submit(std::unique_ptr<worker_detail::TJobBody> body, TJobOptions options) {
    std::erase_if(FJobs, [](const TJobHandle& job) { return job.Outcome().has_value(); });
    auto record = std::make_shared<worker_detail::TRecord>();
    record->Core = FCore;
    record->Receiver = &FReceiver;
    record->Generation = options.Generation;
    record->Body = std::move(body);
    bool refused = false;
    {
        std::lock_guard lock(FCore->Mutex);
        record->Id = FCore->NextId++;
        record->Key = {options.Priority, FCore->NextSequence++};
        refused = FCore->Stopping;
        if (refused)
            record->Phase = TPhase::Running;
        else
            FCore->Queue.emplace(record->Key, record);
    }
    if (refused) {
        record->Stop.request_stop();
        FCore->Finish(*record, TJobState::Cancelled, {}, nullptr);
    } else {
        FCore->Work.notify_one();
    }
    FJobs.push_back(TJobHandle(record));
    return FJobs.back();
}

void TJobOwner::StopAll() {
    for (const TJobHandle& job : FJobs) job.Cancel();
    for (const TJobHandle& job : FJobs) job.Wait();
    FJobs.clear();
}
