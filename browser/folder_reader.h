#pragma once
// Reading a folder into rows, on the background worker, and the window-side listing that keeps
// the rows, drops the batches of a folder it has left and fills the folder list.

#include "background_worker.h"
#include "folder_list.h"

#include <QObject>

#include <functional>
#include <map>
#include <stop_token>

class TFileListModel;

struct TFolderEntry {
    QString Name;
    int64_t Size = 0;
    std::optional<int64_t> Time; // nanoseconds since the epoch
};

// Whether a name is wanted, asked before its entry is looked at on the disk.
using TNameFilter = std::function<bool(const QString& name)>;
// False stops the enumeration.
using TEntryVisitor = std::function<bool(const TFolderEntry& entry)>;
// Visits the regular files of the folder (links followed, dangling ones left out) whose names
// are wanted; false when the folder cannot be read.
using TFolderEnumerator = std::function<bool(const QString& folder, const TNameFilter& wanted,
                                             const TEntryVisitor& visit)>;

// One readdir and one fstatat per wanted entry. A name that is not valid in the locale's
// encoding is left out: its decoded text would name another file or none.
bool EnumerateFolder(const QString& folder, const TNameFilter& wanted, const TEntryVisitor& visit);

struct TReadRequest {
    QString Folder;
    QString Filter;
    bool SupportFalseExt = false;
};

using TRowBatch = std::vector<TFolderRow>;
// Reads the accepted files, handing them on in batches (every 512 rows and at least every
// 50 ms); raises EError when the folder cannot be read. Stops early once asked to.
void ReadFolder(const TReadRequest& request, const TFolderEnumerator& enumerate,
                std::stop_token stop, const std::function<void(TRowBatch)>& flush);

class TFolderListing : public QObject {
public:
    explicit TFolderListing(TFileListModel& list, TFolderEnumerator enumerate = EnumerateFolder,
                            TBackgroundWorker& pool = TBackgroundWorker::Shared());

    // Starts a read; whatever an earlier read still sends is dropped. Rows show in the list as
    // they come; the list is sorted once the last has come.
    void Read(const TReadRequest& request, TSortField field, bool descending);
    // Sorts the kept rows again, without reading.
    void Resort(TSortField field, bool descending);
    // Reads the folder of the last read again and applies the difference: the list keeps its
    // current file and selection by path. A new file joins only once its size held still
    // since the previous refresh; until then HasUnsettledFiles() is true.
    void Refresh();
    bool HasUnsettledFiles() const { return !FUnsettled.empty(); }
    // Stops a read and empties rows and list.
    void Clear();
    bool Reading() const { return FReading; }
    const std::vector<TFolderRow>& Rows() const { return FRows; }

    // After the last batch (true) or a failed read (false, the list left empty).
    std::function<void(bool listed)> OnFinished;
    // After each refresh, whether it changed the list or not.
    std::function<void()> OnRefreshed;

protected:
    void customEvent(QEvent* event) override;

private:
    void Finish(TJobState state);
    void ApplyRefresh(TRowBatch rows);
    void Submit();

    TFileListModel& FList;
    TFolderEnumerator FEnumerate;
    std::vector<TFolderRow> FRows;
    TSortField FField = TSortField::Name;
    bool FDescending = false;
    bool FReading = false;
    bool FRefreshing = false;
    TReadRequest FRequest;
    TRowBatch FIncoming;                   // a refresh's rows until its last batch
    std::map<QString, int64_t> FUnsettled; // new files by path, with the size last seen
    uint64_t FGeneration = 0;
    TJobHandle FJob;
    TJobOwner FJobs;
};
