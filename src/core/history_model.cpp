#include "core/history_model.h"

namespace velo {

HistoryModel::HistoryModel(TuneHistory& store, QObject* parent)
    : QAbstractTableModel(parent), store_(store) {
    fetchMore({});
}

void HistoryModel::setFilter(const QString& text) {
    filter_ = text;
    reload();
}

void HistoryModel::reload() {
    beginResetModel();
    rows_.clear();
    atEnd_ = false;
    endResetModel();
    fetchMore({});
}

int HistoryModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

int HistoryModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QVariant HistoryModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) return {};
    const HistoryEntry& e = rows_.at(index.row());
    switch (index.column()) {
        case Time:
            return e.time.toLocalTime().toString("yyyy-MM-dd HH:mm:ss");
        case Event:
            return e.event;
        case Source:
            return e.source;
        case Firmware:
            return e.firmware;
        default:
            return e.note;
    }
}

QVariant HistoryModel::headerData(int section, Qt::Orientation o, int role) const {
    static const char* const kHeaders[] = {"Time", "Event", "Source", "Firmware", "Note"};
    if (o != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= kColumns)
        return {};
    return kHeaders[section];
}

Qt::ItemFlags HistoryModel::flags(const QModelIndex& index) const {
    const Qt::ItemFlags f = QAbstractTableModel::flags(index);
    return index.column() == Note ? f | Qt::ItemIsEditable : f;
}

bool HistoryModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || index.column() != Note) return false;
    HistoryEntry& e = rows_[index.row()];
    if (!store_.setNote(e.id, value.toString())) return false;
    e.note = value.toString();
    emit dataChanged(index, index);
    return true;
}

bool HistoryModel::canFetchMore(const QModelIndex& parent) const {
    return !parent.isValid() && !atEnd_;
}

void HistoryModel::fetchMore(const QModelIndex& parent) {
    if (!canFetchMore(parent)) return;
    const QVector<HistoryEntry> page =
        store_.entries(filter_, rows_.isEmpty() ? 0 : rows_.last().id, kPage);
    atEnd_ = page.size() < kPage;
    if (page.isEmpty()) return;
    beginInsertRows({}, int(rows_.size()), int(rows_.size() + page.size() - 1));
    rows_ += page;
    endInsertRows();
}

}  // namespace velo
