#pragma once

#include "core/tune_history.h"

#include <QAbstractTableModel>

namespace velo {

// Tune History's entries newest first for a view, fetched a page at a time as the view
// scrolls, so that a long history opens at once. The note is edited in place.
class HistoryModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    enum Column { Time, Event, Source, Firmware, Note, kColumns };
    static constexpr int kPage = 200;

    explicit HistoryModel(TuneHistory& store, QObject* parent = nullptr);

    // Only the entries that hold `text` in any column; empty: every entry.
    void setFilter(const QString& text);
    void reload();
    const HistoryEntry& entryAt(int row) const { return rows_.at(row); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

  private:
    TuneHistory& store_;
    QString filter_;
    QVector<HistoryEntry> rows_;
    bool atEnd_ = false;
};

}  // namespace velo
