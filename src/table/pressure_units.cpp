#include "table/pressure_units.h"

#include "core/numeric.h"
#include "table/table_session.h"

#include <QSettings>

namespace velo {

namespace {
constexpr const char* kSettingKey = "Display/PressureUnit";
constexpr double kKPaPerInHg = 3.386389;

double perInHg(PressureUnit unit) {
    switch (unit) {
        case PressureUnit::KPa:
            return kKPaPerInHg;
        case PressureUnit::Psi:
            return kKPaPerInHg / 6.894757;
        case PressureUnit::Bar:
            return kKPaPerInHg / 100;
        default:
            return 1;
    }
}
}  // namespace

QString unitName(PressureUnit unit) {
    switch (unit) {
        case PressureUnit::KPa:
            return "kPa";
        case PressureUnit::Psi:
            return "psi";
        case PressureUnit::Bar:
            return "bar";
        default:
            return "inHg";
    }
}

std::optional<PressureUnit> parsePressureUnit(const QString& name) {
    for (const PressureUnit u : kPressureUnits)
        if (name.compare(unitName(u), Qt::CaseInsensitive) == 0) return u;
    return std::nullopt;
}

QString pressureText(double inHg, PressureUnit unit) {
    // Rows lie 2 inHg apart at the least: 0.07 bar, 1 psi, 7 kPa.
    const int decimals = unit == PressureUnit::Bar ? 2 : unit == PressureUnit::Psi ? 1 : 0;
    return formatFixed(inHg * perInHg(unit), decimals);
}

QString mapLabelIn(int row, int mapSensor, PressureUnit unit) {
    const QString inHg = TableSession::mapLabel(row, mapSensor);
    return unit == PressureUnit::InHg ? inHg : pressureText(inHg.toDouble(), unit);
}

PressureUnit storedPressureUnit(QSettings& settings) {
    return parsePressureUnit(settings.value(kSettingKey).toString()).value_or(PressureUnit::InHg);
}

void storePressureUnit(QSettings& settings, PressureUnit unit) {
    settings.setValue(kSettingKey, unitName(unit));
}

}  // namespace velo
