#include "table/image_diff.h"

#include "table/pressure_units.h"
#include "table/table_session.h"

#include "core/numeric.h"
#include "data/config_image.h"
#include "data/param_rows.h"

#include <cmath>
#include <set>

namespace velo {

namespace {

int cellOffset(TableKind table, int row, int col) {
    return table == TableKind::Table2D ? ConfigImage::offset2D(col)
                                       : ConfigImage::offset3D(col, mapIndexOfRow(row));
}

double rowPressure(int row, int mapSensor) {
    return TableSession::mapLabel(row, mapSensor).toDouble();
}

// B's rows around `inHg` and the weight of the upper one; one row when it has that
// pressure or the pressure lies beyond its rows.
struct Between {
    int lower, upper;
    double weight;
};
Between rowsAround(double inHg, int mapSensor) {
    const int last = ConfigImage::kMapRows;
    if (inHg <= rowPressure(1, mapSensor)) return {1, 1, 0};
    if (inHg >= rowPressure(last, mapSensor)) return {last, last, 0};
    int r = 1;
    while (rowPressure(r + 1, mapSensor) < inHg) ++r;
    const double lo = rowPressure(r, mapSensor), hi = rowPressure(r + 1, mapSensor);
    if (hi == inHg) return {r + 1, r + 1, 0};
    return {r, r + 1, (inHg - lo) / (hi - lo)};
}

}  // namespace

double cellAdvance(const ConfigImage& image, TableKind table, int row, int col) {
    return table == TableKind::Table2D ? image.Table2D(col, 1)
                                       : image.Table3D(col, mapIndexOfRow(row));
}

double& cellAdvance(ConfigImage& image, TableKind table, int row, int col) {
    return table == TableKind::Table2D ? image.Table2D(col, 1)
                                       : image.Table3D(col, mapIndexOfRow(row));
}

QString rowLabel(TableKind table, int row, int mapSensor, PressureUnit unit) {
    return table == TableKind::Table2D ? QString("ADV") : mapLabelIn(row, mapSensor, unit);
}

QString ImageDiff::rowText(TableKind table, int row, PressureUnit unit) const {
    return rowLabel(table, row, mapSensorA, unit) + (rowSource(table, row).isEmpty() ? "" : "*");
}

QString ImageDiff::rowSource(TableKind table, int row, PressureUnit unit) const {
    if (table != TableKind::Table3D || !byPressure()) return {};
    const double inHg = rowPressure(row, mapSensorA);
    const Between b = rowsAround(inHg, mapSensorB);
    if (b.lower == b.upper && rowPressure(b.lower, mapSensorB) == inHg) return {};
    if (b.lower == b.upper)
        return QString("that of its %1 row (beyond its rows)")
            .arg(mapLabelIn(b.lower, mapSensorB, unit));
    return QString("interpolated between its %1 and %2 rows")
        .arg(mapLabelIn(b.lower, mapSensorB, unit), mapLabelIn(b.upper, mapSensorB, unit));
}

double ImageDiff::advanceB(const ConfigImage& image, TableKind table, int row, int col) const {
    if (table != TableKind::Table3D || !byPressure()) return cellAdvance(image, table, row, col);
    const Between b = rowsAround(rowPressure(row, mapSensorA), mapSensorB);
    return (1 - b.weight) * cellAdvance(image, table, b.lower, col) +
           b.weight * cellAdvance(image, table, b.upper, col);
}

std::pair<QString, QString> cellTexts(double a, double b) {
    // Advances are whole degrees less whole counts of 0.0879: four decimals always tell.
    for (int decimals = 1; decimals <= 4; ++decimals) {
        QString ta = formatFixed(a, decimals), tb = formatFixed(b, decimals);
        if (ta != tb) return {ta, tb};
    }
    return {formatFixed(a, 1), formatFixed(b, 1)};
}

ImageDiff compareImages(const ConfigImage& a, const ConfigImage& b) {
    ImageDiff diff;
    diff.mapSensorA = a.mapSensorInUse();
    diff.mapSensorB = b.mapSensorInUse();
    for (const TableKind t : {TableKind::Table2D, TableKind::Table3D})
        if (a.tableInUse() == t || b.tableInUse() == t) diff.tables.push_back(t);
    std::set<int> shown;
    const QVector<ParamRow> rowsA = parameterRows(a), rowsB = parameterRows(b);
    for (int i = 0; i < rowsA.size(); ++i) {
        if (rowsA[i].text == rowsB[i].text) continue;
        diff.parameters.push_back({rowsA[i].name, rowsA[i].text, rowsB[i].text});
        shown.insert(rowsA[i].offset);
    }
    for (const TableKind t : {TableKind::Table2D, TableKind::Table3D}) {
        if (!diff.tables.contains(t)) continue;
        const int rows = t == TableKind::Table2D ? 1 : ConfigImage::kMapRows;
        // Compared by pressure, the whole table shows and an advance read between two
        // rows differs only where the grid's 0.1 degrees tell.
        const bool byPressure = t == TableKind::Table3D && diff.byPressure();
        for (int r = 1; r <= rows; ++r)
            for (int c = 1; c <= ConfigImage::kRpmColumns; ++c) {
                const double va = cellAdvance(a, t, r, c), vb = diff.advanceB(b, t, r, c);
                if (byPressure) shown.insert(cellOffset(t, r, c));
                if (byPressure ? formatFixed(va, 1) == formatFixed(vb, 1)
                               : std::abs(va - vb) < 1e-9)
                    continue;
                diff.cells.push_back({t, r, c, va, vb});
                shown.insert(cellOffset(t, r, c));
            }
    }
    for (int i = ConfigImage::kFirstAddress; i <= ConfigImage::kLastAddress; ++i)
        if (a.DataBuffer[i] != b.DataBuffer[i] && !shown.count(i)) ++diff.otherBytes;
    return diff;
}

}  // namespace velo
