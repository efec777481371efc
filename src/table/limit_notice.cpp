#include "table/limit_notice.h"

#include "core/numeric.h"
#include "data/timing_limits.h"
#include "table/table_session.h"

#include <QStringList>
#include <algorithm>

namespace velo {

namespace {
QString degrees(double v) {
    return formatFixed(v, 1) + "°";
}
QString cells(int n) {
    return n == 1 ? QString("1 cell") : QString("%1 cells").arg(n);
}
}  // namespace

QString limitNotice(const QString& action, const QMap<double, int>& limitedTo, int trigTiming,
                    int lowerLimit) {
    QStringList parts;
    // The highest limit first: the trigger timing is the one a tuner meets most.
    const QList<double> limits = limitedTo.keys();
    for (auto i = limits.size(); i-- > 0;) {
        const double to = limits[i];
        const int n = limitedTo.value(to);
        const QString name = to == trigTiming   ? "the trigger timing "
                             : to == lowerLimit ? "the lower limit "
                                                : "";
        parts << cells(n) + " to " + name + degrees(to);
    }
    if (parts.isEmpty()) return {};
    return action + " limited " + parts.join(" and ");
}

QString outsideNotice(const QString& action, const TableSession& table, const CellRange& block) {
    const double low = lowestValue(LimitRule::GridCheck, table.kind(), table.trigTiming());
    int outside = 0;
    block.forEach([&](int r, int c) {
        outside += !gridCheckTakes(table.kind(), table.trigTiming(), table.value(r, c));
    });
    if (outside == 0) return {};
    return QString("%1 left %2 outside %3 to %4")
        .arg(action, cells(outside), degrees(low), degrees(table.upperLimit()));
}

}  // namespace velo
