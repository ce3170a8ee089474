#pragma once
// One list of files as the window shows it: ordered full paths, a multiple selection and a
// current index. The folder list and the favorites list are each one; the views attach to the
// mode's list and only show it. Rows are read-only: the list is replaced as a whole (SetPaths)
// or grown at its end (AppendPaths) while a folder is read.

#include <QAbstractListModel>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <vector>

// Rows are announced by the model's own signals; these two by listeners.
enum class TListChange { Current, Selection };

class TFileListModel : public QAbstractListModel {
public:
    enum TRole { PathRole = Qt::UserRole + 1 };

    explicit TFileListModel(QObject* parent = nullptr);

    const QStringList& Paths() const { return FPaths; }
    int Count() const { return static_cast<int>(FPaths.size()); }
    QString PathAt(int index) const;
    // The index of the path; -1 when it is not listed.
    int IndexOf(const QString& path) const;

    // Replaces every row; selection and current index are cleared.
    void SetPaths(const QStringList& paths);
    void AppendPaths(const QStringList& paths);
    void Clear() { SetPaths({}); }

    // -1 when there is none.
    int CurrentIndex() const { return FCurrent; }
    // Out of range clears it.
    void SetCurrentIndex(int index);
    QString CurrentPath() const { return PathAt(FCurrent); }

    bool IsSelected(int index) const;
    int SelectedCount() const { return FSelectedCount; }
    // In list order.
    std::vector<int> SelectedIndexes() const;
    int FirstSelected() const;
    void SetSelected(int index, bool selected);
    // Only the given rows (those out of range are ignored) are selected afterwards.
    void SelectOnly(const std::vector<int>& indexes);
    void ClearSelection() { SelectOnly({}); }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // Called after each change of current index or selection until the receiver is destroyed.
    void Listen(QObject* receiver, std::function<void(TListChange)> listener);

private:
    struct TListener {
        QPointer<QObject> Receiver;
        std::function<void(TListChange)> Call;
    };
    void Notify(TListChange change);

    std::vector<TListener> FListeners;
    QStringList FPaths;
    std::vector<char> FSelected;
    int FSelectedCount = 0;
    int FCurrent = -1;
};
