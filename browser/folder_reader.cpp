#include "folder_reader.h"

#include "file_list_model.h"
#include "file_routines.h"

#include <QFile>

#include <chrono>
#include <set>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

constexpr size_t BatchRows = 512;
constexpr auto BatchInterval = std::chrono::milliseconds(50);

// Closes the folder on every way out.
struct TDirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};

std::optional<int64_t> ModificationTime(const struct stat& st) {
    return static_cast<int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
}

} // namespace

bool EnumerateFolder(const QString& folder, const TNameFilter& wanted, const TEntryVisitor& visit) {
    const std::unique_ptr<DIR, TDirCloser> dir(opendir(QFile::encodeName(folder).constData()));
    if (!dir) return false;
    const int fd = dirfd(dir.get());
    while (const dirent* entry = readdir(dir.get())) {
        const QByteArray raw(entry->d_name);
        if (raw == "." || raw == ".." || entry->d_type == DT_DIR) continue;
        const QString name = QFile::decodeName(raw);
        if (QFile::encodeName(name) != raw || !wanted(name)) continue;
        struct stat st {};
        // Links followed; a FIFO, socket or device is no file of the list, and opening one
        // would block.
        if (fstatat(fd, entry->d_name, &st, 0) != 0 || !S_ISREG(st.st_mode)) continue;
        if (!visit({name, static_cast<int64_t>(st.st_size), ModificationTime(st)})) break;
    }
    return true;
}

void ReadFolder(const TReadRequest& request, const TFolderEnumerator& enumerate,
                std::stop_token stop, const std::function<void(TRowBatch)>& flush) {
    using Clock = std::chrono::steady_clock;
    TRowBatch batch;
    auto last = Clock::now();
    const auto wanted = [&request](const QString& name) {
        return AcceptsFile(name, request.Filter, request.SupportFalseExt);
    };
    const auto visit = [&](const TFolderEntry& entry) {
        if (stop.stop_requested()) return false;
        batch.push_back(TFolderRow::Make(request.Folder, entry.Name, entry.Size, entry.Time));
        if (batch.size() >= BatchRows || Clock::now() - last >= BatchInterval) {
            flush(std::exchange(batch, {}));
            last = Clock::now();
        }
        return true;
    };
    if (!enumerate(request.Folder, wanted, visit))
        throw EError("The folder cannot be read: " + request.Folder.toStdString());
    if (!batch.empty()) flush(std::move(batch));
}

TFolderListing::TFolderListing(TFileListModel& list, TFolderEnumerator enumerate,
                               TBackgroundWorker& pool)
    : FList(list), FEnumerate(std::move(enumerate)), FJobs(*this, pool) {}

void TFolderListing::Read(const TReadRequest& request, TSortField field, bool descending) {
    Clear();
    FField = field;
    FDescending = descending;
    FReading = true;
    FRequest = request;
    FUnsettled.clear();
    Submit();
}

void TFolderListing::Refresh() {
    if (FReading || FRequest.Folder.isEmpty()) return;
    FReading = FRefreshing = true;
    FIncoming.clear();
    Submit();
}

void TFolderListing::Submit() {
    FJob = FJobs.Submit(
        [request = FRequest, enumerate = FEnumerate](TJobContext& context) {
            ReadFolder(request, enumerate, context.StopToken(),
                       [&context](TRowBatch batch) { context.Progress(0, 0, std::move(batch)); });
        },
        {++FGeneration, 1});
}

void TFolderListing::Resort(TSortField field, bool descending) {
    FField = field;
    FDescending = descending;
    if (FReading) return; // the last batch sorts
    SortRows(FRows, field, descending);
    FList.SetPaths(PathsOf(FRows));
}

void TFolderListing::Clear() {
    FJob.Cancel();
    FJob = {};
    ++FGeneration;
    FReading = FRefreshing = false;
    FIncoming.clear();
    FRows.clear();
    FList.Clear();
}

void TFolderListing::customEvent(QEvent* event) {
    if (event->type() == TJobProgressEvent::EventType()) {
        auto* progress = static_cast<TJobProgressEvent*>(event);
        TRowBatch* batch = progress->Payload<TRowBatch>();
        if (progress->Generation() != FGeneration || !batch) return;
        if (FRefreshing) {
            FIncoming.insert(FIncoming.end(), std::make_move_iterator(batch->begin()),
                             std::make_move_iterator(batch->end()));
            return;
        }
        FList.AppendPaths(PathsOf(*batch));
        FRows.insert(FRows.end(), std::make_move_iterator(batch->begin()),
                     std::make_move_iterator(batch->end()));
    } else if (event->type() == TJobFinishedEvent::EventType()) {
        auto* finished = static_cast<TJobFinishedEvent*>(event);
        if (finished->Generation() == FGeneration) Finish(finished->State());
    } else {
        QObject::customEvent(event);
    }
}

void TFolderListing::Finish(TJobState state) {
    FReading = false;
    FJob = {};
    if (std::exchange(FRefreshing, false)) {
        // A folder that went is the next real read's to report; a refresh keeps what it had.
        if (state == TJobState::Done) ApplyRefresh(std::exchange(FIncoming, {}));
        return;
    }
    const bool listed = state == TJobState::Done;
    if (listed) {
        SortRows(FRows, FField, FDescending);
        FList.SetPaths(PathsOf(FRows));
    } else {
        FRows.clear();
        FList.Clear();
    }
    if (OnFinished) OnFinished(listed);
}

void TFolderListing::ApplyRefresh(TRowBatch rows) {
    std::set<QString> known;
    for (const TFolderRow& row : FRows) known.insert(row.Path);
    std::map<QString, int64_t> unsettled;
    std::erase_if(rows, [&](const TFolderRow& row) {
        if (known.contains(row.Path)) return false;
        const auto seen = FUnsettled.find(row.Path);
        if (seen != FUnsettled.end() && seen->second == row.Size) return false;
        unsettled[row.Path] = row.Size; // still being written, perhaps
        return true;
    });
    FUnsettled = std::move(unsettled);
    SortRows(rows, FField, FDescending);
    const QStringList paths = PathsOf(rows);
    if (paths == FList.Paths()) {
        FRows = std::move(rows);
        if (OnRefreshed) OnRefreshed();
        return;
    }
    const QString current = FList.CurrentPath();
    std::vector<QString> selected;
    for (int index : FList.SelectedIndexes()) selected.push_back(FList.PathAt(index));
    FRows = std::move(rows);
    FList.SetPaths(paths);
    std::vector<int> keep;
    for (const QString& path : selected)
        if (const int index = FList.IndexOf(path); index >= 0) keep.push_back(index);
    FList.SelectOnly(keep);
    FList.SetCurrentIndex(FList.IndexOf(current));
    if (OnRefreshed) OnRefreshed();
}
