#pragma once

#include "table/pressure_units.h"
#include "table/table_session.h"

#include <QString>
#include <QVector>
#include <optional>
#include <utility>

namespace velo {

class ConfigImage;

// What differs between two decoded images A and B, as the dialogs and the grids show it.
// Cells are compared as advances, so a new trigger timing moves every cell it shifts.
struct ImageDiff {
    struct Parameter {
        QString name, a, b;
    };
    struct Cell {
        TableKind table;
        int row, col;  // as in the table's grid
        double a, b;
    };

    QVector<Parameter> parameters;
    // The tables in use in either image, the only ones whose cells are compared.
    QVector<TableKind> tables;
    QVector<Cell> cells;
    int mapSensorA = 0, mapSensorB = 0;
    // Bytes that differ but show nowhere above (unused bytes, a table not in use, bits the
    // decoding drops): with them, "equal" means the two images are the same bytes.
    int otherBytes = 0;

    bool equal() const { return parameters.isEmpty() && cells.isEmpty() && otherBytes == 0; }
    // The two MAP sensors differ: a 3D row of A meets B's advance at the same pressure,
    // between B's rows interpolated, beyond them B's nearest row.
    bool byPressure() const {
        return mapSensorA != mapSensorB && tables.contains(TableKind::Table3D);
    }
    // A grid row's label (A's), marked "*" where B has no row at its pressure.
    QString rowText(TableKind table, int row, PressureUnit unit = PressureUnit::InHg) const;
    // Where B's advance for that row comes from: empty for a row of B's own,
    // "interpolated between its 18 and 24 rows", "that of its 30 row (beyond its rows)".
    QString rowSource(TableKind table, int row, PressureUnit unit = PressureUnit::InHg) const;
    // B's advance the cell is compared with.
    double advanceB(const ConfigImage& b, TableKind table, int row, int col) const;
};

// Both images must be decoded from their bytes (UpdateParams), as a loaded file is.
ImageDiff compareImages(const ConfigImage& a, const ConfigImage& b);

double cellAdvance(const ConfigImage& image, TableKind table, int row, int col);
double& cellAdvance(ConfigImage& image, TableKind table, int row, int col);
// A row's label in the grid: "ADV" or the MAP label for the sensor.
QString rowLabel(TableKind table, int row, int mapSensor, PressureUnit unit = PressureUnit::InHg);
// Two advances as "#0.0", with more decimals where that would hide their difference.
std::pair<QString, QString> cellTexts(double a, double b);

}  // namespace velo
