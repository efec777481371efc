#pragma once

#include "core/app_context.h"
#include "table/pressure_units.h"
#include "table/table_session.h"

#include <QString>
#include <QVector>
#include <functional>
#include <optional>

class QSettings;

namespace velo {

class ConfigImage;

// How far a cell may stray before the check names it, in degrees. Both are user
// settings so that a tuner with a deliberately sharp table can widen them.
struct CheckRules {
    double spike = 4.0;     // from the mean of the cell's grid neighbours
    double loadRise = 2.0;  // above the cell one MAP row lower in pressure (3D only)

    static CheckRules fromSettings(const QSettings& settings);
    // Whether an upload asks first when the buffer's table has findings.
    static bool askBeforeUpload(const QSettings& settings);
};

struct TableFinding {
    enum Kind { Spike, LoadRise, AtTrigger, AtLowerLimit };
    Kind kind;
    int row, col;  // grid row (1 for 2D) and RPM column 1..21
    double advance;
    double against;    // the neighbours' mean or the cell below; the limit for notes
    QString rowLabel;  // the MAP label as the grid shows it, empty for 2D

    bool isNote() const { return kind == AtTrigger || kind == AtLowerLimit; }
    int rpm() const { return (col - 1) * 500; }
    QString kindName() const;  // "spike", "load-rise", "at-trigger", "at-lower-limit"
    QString sentence(const CheckRules& rules) const;
};

// The cells of one table, addressed as the grid addresses them.
struct CheckedTable {
    TableKind kind;
    int trigTiming;
    int mapSensor;
    std::function<double(int row, int col)> value;

    int rows() const { return kind == TableKind::Table2D ? 1 : kMapRows; }
};

// Findings first, in grid order, then the notes.
// Row labels name the MAP in `unit`, as the grid shows them.
QVector<TableFinding> checkTable(const CheckedTable& table, const CheckRules& rules,
                                 PressureUnit unit = PressureUnit::InHg);
int countFindings(const QVector<TableFinding>& all);
// "1 finding", "2 findings": every count of findings the user reads.
QString findingsText(int n);
// Said wherever a command needs the table in use and the parameters name none.
inline constexpr const char* kNoTableInUse = "No timing table is in use.";

// The table in use in the buffer (none when neither is enabled), and the open table.
std::optional<CheckedTable> checkedTableInUse(const ConfigImage& image);
CheckedTable openTable(const TableSession& session, int mapSensor);

// Asked before an upload: true when the upload may go on. Nothing is asked when the
// setting is off, the table in the buffer has no findings, or the upload will refuse
// anyway (an empty buffer, an open table).
bool uploadDespiteFindings(const AppContext& ctx, const QSettings& settings);

}  // namespace velo
