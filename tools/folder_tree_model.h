#pragma once
// The folder tree of the folder chooser and of the main window: our own model, read lazily
// and always on the calling thread, so setting a path and reading it back never races.
//
// - Top level: Home, Pictures, every mounted volume (pseudo file systems left out) and "/",
//   each a root that is shown under its label; roots whose folder is missing are left out.
// - A node is read the first time it is expanded (fetchMore) or walked through (IndexOf): one
//   readdir, folder types from the entry (a stat only for links and unknown types). Hidden
//   folders are shown; a link to a folder is a node of its own, marked by LinkRole and its
//   icon, whose path is the link's (links are never resolved).
// - Children are sorted by name without case, then with case. Labels cannot be edited.
// - Nothing refreshes by itself: Refresh() reads every node read so far again, removing the
//   folders that went and inserting the new ones, so the nodes that stay keep their indexes
//   (and a view its current node).

#include <QAbstractItemModel>
#include <QByteArray>
#include <QString>

#include <memory>
#include <vector>

struct TFolderRoot {
    QString Label;
    QString Path; // absolute, without trailing "/" except for "/"
    bool operator==(const TFolderRoot&) const = default;
};

// The mount points of a mounts table (/proc/self/mounts) that the user would browse: devices
// under /dev/ and network file systems, without "/", /boot and the system's own folders.
std::vector<TFolderRoot> MountedVolumes(const QByteArray& mountsTable);
// Home, Pictures, the mounted volumes of this machine and "/".
std::vector<TFolderRoot> StandardRoots();

class TFolderTreeModel : public QAbstractItemModel {
public:
    enum TRole { PathRole = Qt::UserRole + 1, LinkRole };

    explicit TFolderTreeModel(std::vector<TFolderRoot> roots = StandardRoots(),
                              QObject* parent = nullptr);
    ~TFolderTreeModel() override;

    // The folder of a node, as PathRole gives it; empty for an invalid index.
    QString PathOf(const QModelIndex& index) const;
    bool IsLink(const QModelIndex& index) const;
    // The node of the folder, reading the folders on the way now; invalid when the folder is
    // not below a root or a folder on the way is missing. The root holding the longest part of
    // the path is taken, so a picture folder is found under Pictures rather than Home.
    QModelIndex IndexOf(const QString& path);
    // Reads every node read so far again (see above).
    void Refresh();

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

private:
    struct TNode;
    TNode* NodeOf(const QModelIndex& index) const;
    QModelIndex IndexOfNode(TNode* node) const;
    void Read(TNode& node);
    void RefreshBelow(TNode& node);

    std::unique_ptr<TNode> FTop;
};
