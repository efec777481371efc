#pragma once
// How the store's files name and read an entry's row; shared by the store's own sources only.
#include "core/tune_history.h"

#include <QDateTime>
#include <QSqlQuery>
#include <QVariant>

namespace velo::history_rows {

inline constexpr const char* kColumns =
    "e.id, e.time, e.event, e.source, e.firmware, e.note, e.hash, i.bytes";
inline constexpr const char* kFrom = "entries e LEFT JOIN images i ON i.hash = e.hash";

// A null QString binds as NULL; the text columns hold '' instead.
inline QVariant text(const QString& s) {
    return QVariant(s.isNull() ? QString("") : s);
}

inline HistoryEntry entryOf(const QSqlQuery& q, bool withBytes = true) {
    HistoryEntry e;
    e.id = q.value(0).toLongLong();
    e.time = QDateTime::fromString(q.value(1).toString(), Qt::ISODateWithMs);
    e.event = q.value(2).toString();
    e.source = q.value(3).toString();
    e.firmware = q.value(4).toString();
    e.note = q.value(5).toString();
    e.hash = q.value(6).toString();
    if (withBytes) e.bytes = q.value(7).toByteArray();
    return e;
}

}  // namespace velo::history_rows
