#pragma once

#include <QString>
#include <optional>

class QSettings;

namespace velo {

// How MAP values are shown. The grid's labels are inHg; the others are converted from them.
enum class PressureUnit { InHg, KPa, Psi, Bar };

inline constexpr PressureUnit kPressureUnits[] = {PressureUnit::InHg, PressureUnit::KPa,
                                                  PressureUnit::Psi, PressureUnit::Bar};

QString unitName(PressureUnit unit);  // "inHg", "kPa", "psi", "bar"
// A unit by its name, in any letter case.
std::optional<PressureUnit> parsePressureUnit(const QString& name);
// An inHg value in `unit`, with as many decimals as a row label needs to stay apart from
// its neighbours.
QString pressureText(double inHg, PressureUnit unit);
// The 3D grid's row label for `mapSensor` in `unit` (inHg gives the usual labels).
QString mapLabelIn(int row, int mapSensor, PressureUnit unit);

// The setting, kept with the program's other per-user settings.
PressureUnit storedPressureUnit(QSettings& settings);
void storePressureUnit(QSettings& settings, PressureUnit unit);

}  // namespace velo
