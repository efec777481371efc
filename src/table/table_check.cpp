#include "table/table_check.h"

#include "core/interaction.h"
#include "core/numeric.h"
#include "core/run_error.h"
#include "data/config_image.h"
#include "data/timing_limits.h"
#include "table/image_diff.h"

#include <QSettings>
#include <cmath>

namespace velo {

namespace {
// Cell values are whole counts of 0.0879 degree apart; a difference that equals the
// threshold on paper must not become a finding through rounding.
constexpr double kSlack = 1e-9;

QString deg(double v) {
    return formatFixed(v, 1) + QChar(0xB0);
}
}  // namespace

CheckRules CheckRules::fromSettings(const QSettings& s) {
    CheckRules r;
    r.spike = s.value("TableCheck/SpikeDegrees", r.spike).toDouble();
    r.loadRise = s.value("TableCheck/LoadRiseDegrees", r.loadRise).toDouble();
    return r;
}

bool CheckRules::askBeforeUpload(const QSettings& s) {
    return s.value("TableCheck/AskBeforeUpload", true).toBool();
}

QString TableFinding::kindName() const {
    static const char* const names[] = {"spike", "load-rise", "at-trigger", "at-lower-limit"};
    return names[kind];
}

QString TableFinding::sentence(const CheckRules& rules) const {
    const QString where = rowLabel.isEmpty() ? QString("%1 RPM").arg(rpm())
                                             : QString("%1 RPM, MAP %2").arg(rpm()).arg(rowLabel);
    switch (kind) {
        case Spike:
            return QString("Spike at %1: %2 against %3 on average beside it (more than %4 apart).")
                .arg(where, deg(advance), deg(against), deg(rules.spike));
        case LoadRise:
            return QString(
                       "Advance rises with load at %1: %2 against %3 one MAP row lower "
                       "(more than %4 more).")
                .arg(where, deg(advance), deg(against), deg(rules.loadRise));
        case AtTrigger:
            return QString("At the trigger timing at %1: %2.").arg(where, deg(advance));
        case AtLowerLimit:
            return QString("At the lower limit at %1: %2.").arg(where, deg(advance));
    }
    return {};
}

QVector<TableFinding> checkTable(const CheckedTable& t, const CheckRules& rules,
                                 PressureUnit unit) {
    const int rows = t.rows(), cols = ConfigImage::kRpmColumns;
    // The lowest advance an edit may give.
    const double lower = lowestValue(LimitRule::GridCheck, t.kind, t.trigTiming);
    QVector<TableFinding> findings, notes;
    for (int r = 1; r <= rows; ++r) {
        const QString label =
            t.kind == TableKind::Table3D ? mapLabelIn(r, t.mapSensor, unit) : QString();
        for (int c = 1; c <= cols; ++c) {
            const double v = t.value(r, c);
            double sum = 0;
            int n = 0;
            for (const auto& [dr, dc] : {std::pair{0, -1}, {0, 1}, {-1, 0}, {1, 0}}) {
                const int nr = r + dr, nc = c + dc;
                if (nr < 1 || nr > rows || nc < 1 || nc > cols) continue;
                sum += t.value(nr, nc);
                ++n;
            }
            if (n > 0 && std::abs(v - sum / n) > rules.spike + kSlack)
                findings.append({TableFinding::Spike, r, c, v, sum / n, label});
            if (r > 1 && v - t.value(r - 1, c) > rules.loadRise + kSlack)
                findings.append({TableFinding::LoadRise, r, c, v, t.value(r - 1, c), label});
            if (v >= t.trigTiming - kSlack)
                notes.append({TableFinding::AtTrigger, r, c, v, double(t.trigTiming), label});
            else if (v <= lower + kSlack)
                notes.append({TableFinding::AtLowerLimit, r, c, v, lower, label});
        }
    }
    return findings + notes;
}

int countFindings(const QVector<TableFinding>& all) {
    return int(std::count_if(all.begin(), all.end(), [](const auto& f) { return !f.isNote(); }));
}

QString findingsText(int n) {
    return n == 1 ? QString("1 finding") : QString("%1 findings").arg(n);
}

std::optional<CheckedTable> checkedTableInUse(const ConfigImage& im) {
    const auto kind = im.tableInUse();
    if (!kind) return std::nullopt;
    return CheckedTable{*kind, im.TrigTiming, im.mapSensorInUse(),
                        [&im, k = *kind](int r, int c) { return cellAdvance(im, k, r, c); }};
}

CheckedTable openTable(const TableSession& s, int mapSensor) {
    return {s.kind(), s.trigTiming(), mapSensor, [&s](int r, int c) { return s.value(r, c); }};
}

bool uploadDespiteFindings(const AppContext& ctx, const QSettings& settings) {
    // The bytes the upload programs, read back as the controller will run them: after a
    // trigger timing change they are not what the table arrays hold.
    ConfigImage sent = ctx.image;
    try {
        sent.UpdateEEPROM();
    } catch (const RunError&) {
        return true;  // the upload reports it
    }
    sent.UpdateParams();
    const auto table = checkedTableInUse(sent);
    if (ctx.image.BufferEmpty || ctx.state.tableOpen() || !table ||
        !CheckRules::askBeforeUpload(settings))
        return true;
    const int n = countFindings(checkTable(*table, CheckRules::fromSettings(settings)));
    if (n == 0) return true;
    return ctx.ui.message("Check Timing Table",
                          QString("The timing table has %1 (spikes or advance rising with "
                                  "load). Upload anyway?")
                              .arg(findingsText(n)),
                          Buttons::YesNoDefaultNo, Icon::Exclamation) == Answer::Yes;
}

}  // namespace velo
