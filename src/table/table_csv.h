#pragma once

#include "table/pressure_units.h"

#include <QByteArray>
#include <QString>
#include <QVector>
#include <optional>
#include <variant>

namespace velo {

class TableSession;

// The open table as a spreadsheet sees it: a header of "MAP/RPM" (or "RPM") and the 21 RPM
// values, then one line per grid row, its label first and its cells as "#0.0" texts. MAP
// labels in another unit than inHg name it: "MAP (kPa)/RPM".
QString tableToCsv(const TableSession& table, int mapSensor, PressureUnit unit);

// A file's bytes as text: UTF-8, or UTF-16 as spreadsheets write it "as Unicode text".
QString csvText(const QByteArray& bytes);

// What reading a table back found: the cells whose value it changes, each with its text
// as the file has it.
struct CsvImport {
    struct Cell {
        int row, col;
        QString text;
        double value;
    };
    QVector<Cell> cells;
};

// Reads that shape back, checked whole, without changing the table: comma, semicolon or tab
// between the fields (a "sep=" first line names it), a decimal comma where it cannot be
// taken for a separator, rows in any order found by their label (MAP in the unit the first
// line names, else `unit`, for `mapSensor`; the 2D row "ADV" or the only one). A cell whose
// value shows as the grid's does keeps its value exactly; any other goes through the
// grid's check. The refusal says where and why.
std::variant<CsvImport, QString> readCsv(const TableSession& table, const QString& csv,
                                         int mapSensor, PressureUnit unit);
// The changes as one undo step.
void applyCsv(TableSession& table, const CsvImport& import);
// Both: nothing changes when refused.
std::optional<QString> importCsv(TableSession& table, const QString& csv, int mapSensor,
                                 PressureUnit unit);

// Writes `text` to `path` whole or not at all; the reason when it could not.
std::optional<QString> writeTextFile(const QString& path, const QString& text);

}  // namespace velo
