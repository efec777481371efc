#include "table/image_diff.h"

#include "table/pressure_units.h"

#include "core/numeric.h"
#include "data/config_image.h"
#include "data/param_rows.h"

#include <cmath>
#include <set>

namespace velo {

namespace {

int cellOffset(TableKind table, int row, int col) {
    return table == TableKind::Table2D ? ConfigImage::offset2D(col)
                                       : ConfigImage::offset3D(col, 9 - row);
}

}  // namespace

double cellAdvance(const ConfigImage& image, TableKind table, int row, int col) {
    return table == TableKind::Table2D ? image.Table2D(col, 1) : image.Table3D(col, 9 - row);
}

double& cellAdvance(ConfigImage& image, TableKind table, int row, int col) {
    return table == TableKind::Table2D ? image.Table2D(col, 1) : image.Table3D(col, 9 - row);
}

QString rowLabel(TableKind table, int row, int mapSensor, PressureUnit unit) {
    return table == TableKind::Table2D ? QString("ADV") : mapLabelIn(row, mapSensor, unit);
}

QString ImageDiff::rowText(TableKind table, int row, PressureUnit unit) const {
    const QString a = rowLabel(table, row, mapSensorA, unit),
                  b = rowLabel(table, row, mapSensorB, unit);
    return a == b ? a : a + "/" + b;
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
    std::set<int> shown;
    const QVector<ParamRow> rowsA = parameterRows(a), rowsB = parameterRows(b);
    for (int i = 0; i < rowsA.size(); ++i) {
        if (rowsA[i].text == rowsB[i].text) continue;
        diff.parameters.push_back({rowsA[i].name, rowsA[i].text, rowsB[i].text});
        shown.insert(rowsA[i].offset);
    }
    for (const TableKind t : {TableKind::Table2D, TableKind::Table3D}) {
        if (a.tableInUse() != t && b.tableInUse() != t) continue;
        diff.tables.push_back(t);
        const int rows = t == TableKind::Table2D ? 1 : ConfigImage::kMapRows;
        for (int r = 1; r <= rows; ++r)
            for (int c = 1; c <= ConfigImage::kRpmColumns; ++c) {
                const double va = cellAdvance(a, t, r, c), vb = cellAdvance(b, t, r, c);
                if (std::abs(va - vb) < 1e-9) continue;
                diff.cells.push_back({t, r, c, va, vb});
                shown.insert(cellOffset(t, r, c));
            }
    }
    for (int i = ConfigImage::kFirstAddress; i <= ConfigImage::kLastAddress; ++i)
        if (a.DataBuffer[i] != b.DataBuffer[i] && !shown.count(i)) ++diff.otherBytes;
    return diff;
}

}  // namespace velo
