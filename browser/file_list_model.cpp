#include "file_list_model.h"

#include "path_text.h"

#include <algorithm>

TFileListModel::TFileListModel(QObject* parent) : QAbstractListModel(parent) {}

QString TFileListModel::PathAt(int index) const {
    return index >= 0 && index < Count() ? FPaths.at(index) : QString();
}

int TFileListModel::IndexOf(const QString& path) const {
    return static_cast<int>(FPaths.indexOf(path));
}

void TFileListModel::SetPaths(const QStringList& paths) {
    const bool hadSelection = FSelectedCount > 0;
    const bool hadCurrent = FCurrent >= 0;
    beginResetModel();
    FPaths = paths;
    FSelected.assign(FPaths.size(), 0);
    FSelectedCount = 0;
    FCurrent = -1;
    endResetModel();
    if (hadCurrent) Notify(TListChange::Current);
    if (hadSelection) Notify(TListChange::Selection);
}

void TFileListModel::AppendPaths(const QStringList& paths) {
    if (paths.isEmpty()) return;
    beginInsertRows({}, Count(), Count() + static_cast<int>(paths.size()) - 1);
    FPaths += paths;
    FSelected.resize(FPaths.size(), 0);
    endInsertRows();
}

void TFileListModel::SetCurrentIndex(int index) {
    if (index < 0 || index >= Count()) index = -1;
    if (index == FCurrent) return;
    FCurrent = index;
    Notify(TListChange::Current);
}

bool TFileListModel::IsSelected(int index) const {
    return index >= 0 && index < Count() && FSelected[index];
}

std::vector<int> TFileListModel::SelectedIndexes() const {
    std::vector<int> indexes;
    for (int i = 0; i < Count(); ++i)
        if (FSelected[i]) indexes.push_back(i);
    return indexes;
}

int TFileListModel::FirstSelected() const {
    const auto first = std::find(FSelected.begin(), FSelected.end(), 1);
    return first == FSelected.end() ? -1 : static_cast<int>(first - FSelected.begin());
}

void TFileListModel::SetSelected(int index, bool selected) {
    if (index < 0 || index >= Count() || static_cast<bool>(FSelected[index]) == selected) return;
    FSelected[index] = selected;
    FSelectedCount += selected ? 1 : -1;
    Notify(TListChange::Selection);
}

void TFileListModel::SelectOnly(const std::vector<int>& indexes) {
    std::vector<char> wanted(FPaths.size(), 0);
    for (int index : indexes)
        if (index >= 0 && index < Count()) wanted[index] = 1;
    if (wanted == FSelected) return;
    FSelected = std::move(wanted);
    FSelectedCount = static_cast<int>(std::count(FSelected.begin(), FSelected.end(), 1));
    Notify(TListChange::Selection);
}

int TFileListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Count();
}

QVariant TFileListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= Count()) return {};
    const QString& path = FPaths.at(index.row());
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) return FileNameOf(path);
    if (role == PathRole) return path;
    return {};
}

void TFileListModel::Listen(QObject* receiver, std::function<void(TListChange)> listener) {
    FListeners.push_back({receiver, std::move(listener)});
}

void TFileListModel::Notify(TListChange change) {
    std::erase_if(FListeners, [](const TListener& l) { return l.Receiver.isNull(); });
    // A listener may add another while it runs.
    const std::vector<TListener> listeners = FListeners;
    for (const TListener& listener : listeners)
        if (listener.Receiver) listener.Call(change);
}
