#include "table/pressure_units.h"

#include "core/numeric.h"
#include "table/table_session.h"

#include <QSettings>
#include <QStringList>

namespace velo {

namespace {
constexpr const char* kSettingKey = "Display/PressureUnit";
}  // namespace

const PressureUnitRow& unitRow(PressureUnit unit) {
    for (const PressureUnitRow& row : kPressureUnits)
        if (row.unit == unit) return row;
    return kPressureUnits[0];
}

QString unitName(PressureUnit unit) {
    return unitRow(unit).name;
}

QString unitList(const QString& separator, const QString& last, bool aliases) {
    QStringList names;
    for (const PressureUnitRow& row : kPressureUnits) names << (aliases ? row.alias : row.name);
    const QString end = names.takeLast();
    return names.join(separator) + last + end;
}

std::optional<PressureUnit> parsePressureUnit(const QString& name) {
    for (const PressureUnitRow& row : kPressureUnits)
        if (name.compare(row.name, Qt::CaseInsensitive) == 0 ||
            name.compare(row.alias, Qt::CaseInsensitive) == 0)
            return row.unit;
    return std::nullopt;
}

QString mapUnitPhrase(PressureUnit unit) {
    return unit == PressureUnit::InHg ? QString() : "; MAP in " + unitName(unit);
}

QString pressureText(double inHg, PressureUnit unit) {
    const PressureUnitRow& row = unitRow(unit);
    return formatFixed(inHg * row.perInHg, row.decimals);
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
