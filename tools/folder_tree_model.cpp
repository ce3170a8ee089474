#include "folder_tree_model.h"

#include "path_text.h"
#include "user_folders.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStyle>

#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

struct TFolderTreeModel::TNode {
    QString Name;
    QString Path;
    bool Link = false;
    bool Loaded = false;
    TNode* Parent = nullptr;
    std::vector<std::unique_ptr<TNode>> Children;

    int Row() const {
        const auto& siblings = Parent->Children;
        const auto it = std::find_if(siblings.begin(), siblings.end(),
                                     [this](const auto& child) { return child.get() == this; });
        return static_cast<int>(it - siblings.begin());
    }
};

namespace {

struct TEntry {
    QString Name;
    bool Link = false;
};

bool NameBefore(const QString& a, const QString& b) {
    const int folded = a.compare(b, Qt::CaseInsensitive);
    return folded != 0 ? folded < 0 : a < b;
}

// A folder entry that is a folder, links followed; Link tells whether it is a link.
bool IsFolderEntry(int folder, const dirent& entry, bool& link) {
    link = entry.d_type == DT_LNK;
    if (entry.d_type == DT_DIR) return true;
    if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN) return false;
    struct stat st {};
    if (entry.d_type == DT_UNKNOWN) {
        if (::fstatat(folder, entry.d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) return false;
        link = S_ISLNK(st.st_mode);
        if (!link) return S_ISDIR(st.st_mode);
    }
    return ::fstatat(folder, entry.d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
}

std::vector<TEntry> FoldersIn(const QString& path) {
    std::vector<TEntry> folders;
    DIR* dir = ::opendir(QFile::encodeName(path).constData());
    if (!dir) return folders;
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        bool link = false;
        if (name != "." && name != ".." && IsFolderEntry(::dirfd(dir), *entry, link))
            folders.push_back({QFile::decodeName(name), link});
    }
    ::closedir(dir);
    std::sort(folders.begin(), folders.end(),
              [](const TEntry& a, const TEntry& b) { return NameBefore(a.Name, b.Name); });
    return folders;
}

QString ChildPath(const QString& parent, const QString& name) {
    return AddSlash(parent) + name;
}

bool IsBelowOrAt(const QString& path, const QString& root) {
    return path == root || root == "/" || path.startsWith(root + u'/');
}

// Mount-table fields escape blanks and a few others as octal "\040".
QString MountField(const QByteArray& field) {
    QByteArray plain;
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            bool ok = false;
            const int code = field.mid(i + 1, 3).toInt(&ok, 8);
            if (ok) {
                plain += static_cast<char>(code);
                i += 3;
                continue;
            }
        }
        plain += field[i];
    }
    return QFile::decodeName(plain);
}

bool IsBrowsableMount(const QByteArray& device, const QByteArray& type, const QString& point) {
    static const QByteArray network[] = {"nfs", "nfs4", "cifs", "smb3", "fuse.sshfs"};
    const bool disk = device.startsWith("/dev/") && type != "squashfs";
    const bool remote =
        std::find(std::begin(network), std::end(network), type) != std::end(network);
    if (!disk && !remote) return false;
    if (point == "/" || point == "/boot" || point.startsWith("/boot/")) return false;
    for (const char* system : {"/proc", "/sys", "/dev", "/snap", "/etc", "/usr", "/var"})
        if (IsBelowOrAt(point, system)) return false;
    return !IsBelowOrAt(point, "/run") || IsBelowOrAt(point, "/run/media");
}

} // namespace

std::vector<TFolderRoot> MountedVolumes(const QByteArray& mountsTable) {
    std::vector<TFolderRoot> volumes;
    for (const QByteArray& line : mountsTable.split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() < 3) continue;
        const QString point = MountField(fields[1]);
        if (!IsBrowsableMount(fields[0], fields[2], point)) continue;
        const auto same = [&](const TFolderRoot& root) { return root.Path == point; };
        if (std::none_of(volumes.begin(), volumes.end(), same))
            volumes.push_back({FileNameOf(point), point});
    }
    return volumes;
}

std::vector<TFolderRoot> StandardRoots() {
    std::vector<TFolderRoot> roots{{QStringLiteral("Home"), RemoveSlash(HomeFolder())},
                                   {QStringLiteral("Pictures"), RemoveSlash(PicturesFolder())}};
    QFile mounts("/proc/self/mounts");
    if (mounts.open(QIODevice::ReadOnly))
        for (TFolderRoot& volume : MountedVolumes(mounts.readAll())) roots.push_back(volume);
    roots.push_back({QStringLiteral("/"), QStringLiteral("/")});
    return roots;
}

TFolderTreeModel::TFolderTreeModel(std::vector<TFolderRoot> roots, QObject* parent)
    : QAbstractItemModel(parent), FTop(std::make_unique<TNode>()) {
    FTop->Loaded = true;
    for (const TFolderRoot& root : roots) {
        if (!QFileInfo(root.Path).isDir()) continue;
        auto node = std::make_unique<TNode>();
        node->Name = root.Label;
        node->Path = root.Path;
        node->Parent = FTop.get();
        FTop->Children.push_back(std::move(node));
    }
}

TFolderTreeModel::~TFolderTreeModel() = default;

TFolderTreeModel::TNode* TFolderTreeModel::NodeOf(const QModelIndex& index) const {
    return index.isValid() ? static_cast<TNode*>(index.internalPointer()) : FTop.get();
}

QModelIndex TFolderTreeModel::IndexOfNode(TNode* node) const {
    if (node == FTop.get()) return {};
    return createIndex(node->Row(), 0, node);
}

QString TFolderTreeModel::PathOf(const QModelIndex& index) const {
    return index.isValid() ? NodeOf(index)->Path : QString();
}

bool TFolderTreeModel::IsLink(const QModelIndex& index) const {
    return index.isValid() && NodeOf(index)->Link;
}

QModelIndex TFolderTreeModel::index(int row, int column, const QModelIndex& parent) const {
    const TNode* node = NodeOf(parent);
    if (column != 0 || row < 0 || row >= static_cast<int>(node->Children.size())) return {};
    return createIndex(row, 0, node->Children[static_cast<size_t>(row)].get());
}

QModelIndex TFolderTreeModel::parent(const QModelIndex& child) const {
    return child.isValid() ? IndexOfNode(NodeOf(child)->Parent) : QModelIndex();
}

int TFolderTreeModel::rowCount(const QModelIndex& parent) const {
    return parent.column() > 0 ? 0 : static_cast<int>(NodeOf(parent)->Children.size());
}

int TFolderTreeModel::columnCount(const QModelIndex&) const {
    return 1;
}

QVariant TFolderTreeModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const TNode* node = NodeOf(index);
    switch (role) {
    case Qt::DisplayRole:
        return node->Name;
    case Qt::ToolTipRole:
    case PathRole:
        return node->Path;
    case LinkRole:
        return node->Link;
    case Qt::DecorationRole:
        if (!qApp) return {};
        return QApplication::style()->standardIcon(node->Link ? QStyle::SP_DirLinkIcon
                                                              : QStyle::SP_DirIcon);
    default:
        return {};
    }
}

Qt::ItemFlags TFolderTreeModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

bool TFolderTreeModel::hasChildren(const QModelIndex& parent) const {
    const TNode* node = NodeOf(parent);
    return !node->Loaded || !node->Children.empty();
}

bool TFolderTreeModel::canFetchMore(const QModelIndex& parent) const {
    return !NodeOf(parent)->Loaded;
}

void TFolderTreeModel::fetchMore(const QModelIndex& parent) {
    TNode* node = NodeOf(parent);
    if (!node->Loaded) Read(*node);
}

void TFolderTreeModel::Read(TNode& node) {
    const std::vector<TEntry> folders = FoldersIn(node.Path);
    const QModelIndex at = IndexOfNode(&node);
    node.Loaded = true;
    const auto gone = [&](const QString& name) {
        return std::none_of(folders.begin(), folders.end(),
                            [&](const TEntry& entry) { return entry.Name == name; });
    };
    for (int row = static_cast<int>(node.Children.size()) - 1; row >= 0; --row) {
        if (!gone(node.Children[static_cast<size_t>(row)]->Name)) continue;
        beginRemoveRows(at, row, row);
        node.Children.erase(node.Children.begin() + row);
        endRemoveRows();
    }
    // Both lists are sorted alike and what is left of the children is part of the new list.
    for (size_t row = 0; row < folders.size(); ++row) {
        if (row < node.Children.size() && node.Children[row]->Name == folders[row].Name) {
            node.Children[row]->Link = folders[row].Link;
            continue;
        }
        auto child = std::make_unique<TNode>();
        child->Name = folders[row].Name;
        child->Path = ChildPath(node.Path, folders[row].Name);
        child->Link = folders[row].Link;
        child->Parent = &node;
        const int position = static_cast<int>(row);
        beginInsertRows(at, position, position);
        node.Children.insert(node.Children.begin() + position, std::move(child));
        endInsertRows();
    }
}

QModelIndex TFolderTreeModel::IndexOf(const QString& path) {
    const QString clean = QDir::cleanPath(path);
    TNode* best = nullptr;
    for (const auto& root : FTop->Children)
        if (IsBelowOrAt(clean, root->Path) && (!best || root->Path.size() > best->Path.size()))
            best = root.get();
    if (!best) return {};
    TNode* node = best;
    const QString rest = best->Path == "/" ? clean.mid(1) : clean.mid(best->Path.size() + 1);
    for (const QString& name : rest.split(u'/', Qt::SkipEmptyParts)) {
        if (!node->Loaded) Read(*node);
        const auto it = std::find_if(node->Children.begin(), node->Children.end(),
                                     [&](const auto& child) { return child->Name == name; });
        if (it == node->Children.end()) return {};
        node = it->get();
    }
    return IndexOfNode(node);
}

void TFolderTreeModel::Refresh() {
    for (const auto& root : FTop->Children) RefreshBelow(*root);
}

void TFolderTreeModel::RefreshBelow(TNode& node) {
    if (!node.Loaded) return;
    Read(node);
    for (const auto& child : node.Children) RefreshBelow(*child);
}
