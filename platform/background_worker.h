#pragma once
// The program's one background worker: jobs run on a small pool of threads, higher priority
// first. A job reports to one QObject through posted events: any number of progress events,
// then exactly one final event that owns the result, whichever way the job ends. Every job
// belongs to a TJobOwner inside its receiver, which stops the receiver's jobs before the
// receiver is gone, so no event is ever posted to a destroyed object.

#include <QEvent>
#include <QObject>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <stop_token>
#include <thread>
#include <type_traits>
#include <utility>
#include <vector>

enum class TJobState { Done, Failed, Cancelled };

// What a job answered, owned by the event that carries it.
class TJobResult {
public:
    virtual ~TJobResult() = default;
};

template <class T>
class TWorkerResult final : public TJobResult {
public:
    explicit TWorkerResult(T value) : Value(std::move(value)) {}
    T Value;
};

// The value of a result of type T; nullptr when there is none or it has another type.
template <class T>
T* JobResultAs(TJobResult* result) {
    auto* typed = dynamic_cast<TWorkerResult<T>*>(result);
    return typed ? &typed->Value : nullptr;
}

// Posted while a job runs; stops once it was asked to stop.
class TJobProgressEvent : public QEvent {
public:
    static Type EventType();
    TJobProgressEvent(uint64_t jobId, uint64_t generation, int stage, int percent,
                      std::unique_ptr<TJobResult> payload = nullptr);

    uint64_t JobId() const { return FJobId; }
    uint64_t Generation() const { return FGeneration; }
    int Stage() const { return FStage; }
    int Percent() const { return FPercent; }
    // A partial result sent along, e.g. a batch of a listing; the receiver may move it out.
    template <class T>
    T* Payload() const {
        return JobResultAs<T>(FPayload.get());
    }

private:
    uint64_t FJobId, FGeneration;
    int FStage, FPercent;
    std::unique_ptr<TJobResult> FPayload;
};

// The last event of every job. A job asked to stop before it ended is cancelled, whatever it
// answered; a job that threw failed, with the exception's message (empty for one that is not
// a std::exception).
class TJobFinishedEvent : public QEvent {
public:
    static Type EventType();
    TJobFinishedEvent(uint64_t jobId, uint64_t generation, TJobState state, QString error = {},
                      std::unique_ptr<TJobResult> result = nullptr);

    uint64_t JobId() const { return FJobId; }
    uint64_t Generation() const { return FGeneration; }
    TJobState State() const { return FState; }
    const QString& Error() const { return FError; }
    // The answer of a job that is done; the receiver may move it out.
    template <class T>
    T* Result() const {
        return JobResultAs<T>(FResult.get());
    }

private:
    uint64_t FJobId, FGeneration;
    TJobState FState;
    QString FError;
    std::unique_ptr<TJobResult> FResult;
};

namespace worker_detail {
struct TRecord;
struct TCore;
} // namespace worker_detail

// What a running job sees of itself.
class TJobContext {
public:
    std::stop_token StopToken() const { return FStop; }
    bool StopRequested() const { return FStop.stop_requested(); }
    void Progress(int stage, int percent) { post(stage, percent, nullptr); }
    template <class T>
    void Progress(int stage, int percent, T payload) {
        post(stage, percent, std::make_unique<TWorkerResult<T>>(std::move(payload)));
    }

private:
    friend struct worker_detail::TCore;
    explicit TJobContext(const worker_detail::TRecord& record);
    void post(int stage, int percent, std::unique_ptr<TJobResult> payload);

    const worker_detail::TRecord& FRecord;
    std::stop_token FStop;
};

namespace worker_detail {
struct TJobBody {
    virtual ~TJobBody() = default;
    virtual std::unique_ptr<TJobResult> Run(TJobContext& context) = 0;
};

template <class F>
struct TJobBodyOf final : TJobBody {
    explicit TJobBodyOf(F function) : Function(std::move(function)) {}
    std::unique_ptr<TJobResult> Run(TJobContext& context) override {
        using R = std::invoke_result_t<F&, TJobContext&>;
        if constexpr (std::is_void_v<R>) {
            Function(context);
            return nullptr;
        } else {
            return std::make_unique<TWorkerResult<R>>(Function(context));
        }
    }
    F Function;
};
} // namespace worker_detail

struct TJobOptions {
    // Travels with the job's events, so that the receiver can drop answers to old requests.
    uint64_t Generation = 0;
    // Higher runs first; equal priorities run in the order they were submitted.
    int Priority = 0;
};

// One submitted job; copies share it. Usable from any thread; an empty handle does nothing.
class TJobHandle {
public:
    TJobHandle() = default;
    explicit operator bool() const { return FRecord != nullptr; }
    uint64_t Id() const;
    // Asks the job to stop. One that has not started never runs: its "cancelled" event is
    // posted before Cancel returns.
    void Cancel() const;
    // Moves a job that has not started within the queue; it keeps its place among equals.
    void SetPriority(int priority) const;
    // Until the final event is posted. Never from a job of the same pool.
    void Wait() const;
    // The final state once the job has ended.
    std::optional<TJobState> Outcome() const;

private:
    friend class TJobOwner;
    explicit TJobHandle(std::shared_ptr<worker_detail::TRecord> record)
        : FRecord(std::move(record)) {}
    std::shared_ptr<worker_detail::TRecord> FRecord;
};

class TBackgroundWorker {
public:
    // One thread per core, at most four.
    static int ThreadCountFor(unsigned hardwareThreads);
    explicit TBackgroundWorker(int threads = ThreadCountFor(std::thread::hardware_concurrency()));
    // Jobs not started are cancelled, running ones are asked to stop and joined.
    ~TBackgroundWorker();
    TBackgroundWorker(const TBackgroundWorker&) = delete;
    TBackgroundWorker& operator=(const TBackgroundWorker&) = delete;

    // The program's pool.
    static TBackgroundWorker& Shared();
    int ThreadCount() const { return static_cast<int>(FThreads.size()); }

private:
    friend class TJobOwner;
    std::shared_ptr<worker_detail::TCore> FCore;
    std::vector<std::jthread> FThreads;
};

// The jobs of one receiver, used on the receiver's thread. Make it a member of the receiver,
// declared after whatever its jobs read: its destruction cancels the jobs not started and waits
// for the running ones, so none outlives that data, and every event posted before is removed
// by Qt with the receiver.
class TJobOwner {
public:
    explicit TJobOwner(QObject& receiver, TBackgroundWorker& pool = TBackgroundWorker::Shared());
    ~TJobOwner() { StopAll(); }
    TJobOwner(const TJobOwner&) = delete;
    TJobOwner& operator=(const TJobOwner&) = delete;

    // Queues job(TJobContext&); what it returns is the result of the final event. A pool that
    // is shutting down cancels it at once.
    template <class F>
    TJobHandle Submit(F job, TJobOptions options = {}) {
        static_assert(std::is_invocable_v<F&, TJobContext&>, "a job takes a TJobContext&");
        return submit(std::make_unique<worker_detail::TJobBodyOf<F>>(std::move(job)), options);
    }
    // Cancels every job and waits for those running.
    void StopAll();

private:
    TJobHandle submit(std::unique_ptr<worker_detail::TJobBody> body, TJobOptions options);

    QObject& FReceiver;
    std::shared_ptr<worker_detail::TCore> FCore;
    std::vector<TJobHandle> FJobs;
};
