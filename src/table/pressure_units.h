#pragma once

#include <QString>
#include <optional>

class QSettings;

namespace velo {

// How MAP values are shown. The grid's labels are inHg; the others are converted from them.
enum class PressureUnit { InHg, KPa, Psi, Bar };

// Everything the program says or reads of a unit comes from its row here.
struct PressureUnitRow {
    PressureUnit unit;
    const char* name;   // as shown: the menu, the labels, the CSV header, the JSON
    const char* alias;  // ASCII, for shells and object names; read like the name
    double perInHg;
    int decimals;  // rows lie 2 inHg apart at the least: enough for neighbours to differ
};

inline constexpr double kKPaPerInHg = 3.386389;
inline constexpr PressureUnitRow kPressureUnits[] = {
    {PressureUnit::InHg, "inHg", "inHg", 1, 0},
    {PressureUnit::KPa, "kPa", "kPa", kKPaPerInHg, 0},
    {PressureUnit::Psi, "psi", "psi", kKPaPerInHg / 6.894757, 1},
    {PressureUnit::Bar, "bar", "bar", kKPaPerInHg / 100, 2},
};

const PressureUnitRow& unitRow(PressureUnit unit);
QString unitName(PressureUnit unit);  // "inHg", "kPa", "psi", "bar"
// Every unit's alias (or name) in turn, `last` before the last one: "inHg, kPa, psi or bar".
QString unitList(const QString& separator, const QString& last, bool aliases = true);
// A unit by its name or alias, in any letter case.
std::optional<PressureUnit> parsePressureUnit(const QString& name);
// What a table's caption adds when its MAP labels are not inHg: "; MAP in kPa".
QString mapUnitPhrase(PressureUnit unit);
// An inHg value in `unit`, with as many decimals as a row label needs to stay apart from
// its neighbours.
QString pressureText(double inHg, PressureUnit unit);
// The 3D grid's row label for `mapSensor` in `unit` (inHg gives the usual labels).
QString mapLabelIn(int row, int mapSensor, PressureUnit unit);

// The setting, kept with the program's other per-user settings.
PressureUnit storedPressureUnit(QSettings& settings);
void storePressureUnit(QSettings& settings, PressureUnit unit);

}  // namespace velo
