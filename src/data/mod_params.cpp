#include "data/mod_params.h"

#include "core/error_report.h"
#include "core/numeric.h"
#include "data/history_records.h"
#include "data/timing_limits.h"

#include <QStringList>
#include <algorithm>

namespace velo {

namespace {

constexpr double kCount = ConfigImage::kDegreesPerCount;

// A value from an image made elsewhere may lie beyond the slider: the thumb stops at
// the end while the label still tells the real value.
int clampPosition(long long position, int last) {
    return int(std::clamp<long long>(position, 0, last));
}

}  // namespace

int16_t ModParamsForm::retardCompCounts(int position) {
    return int16_t(roundHalfEven((kRetardCompPositions - position) / (2 * kCount)));
}

int16_t ModParamsForm::startRetardCounts(int position) {
    return int16_t(roundHalfEven((kStartRetardPositions - position) / kCount));
}

QString ModParamsForm::retardCompText(int16_t counts) {
    return formatFixed(roundHalfEven(counts * (2 * kCount)) / 2.0, 1);
}

QString ModParamsForm::startRetardText(int16_t counts) {
    return formatFixed(double(roundHalfEven(counts * kCount)), 0);
}

void ModParamsForm::guarded(const std::function<void()>& body) {
    Trap trap(ctx_.ui);
    trap.step(body);
}

void ModParamsForm::Form_Load() {
    guarded([&] {
        const ConfigImage& img = ctx_.image;
        loadTimingDisable(img.TimingEnable != true);
        if (img.Table3DEnabled) {
            loadTableMode(TableMode::Table3D);
            view_.trigTimingVisible = view_.mapSensorVisible = true;
        } else if (img.Table2DEnabled != true) {
            loadTableMode(TableMode::Disabled);
            view_.trigTimingVisible = view_.mapSensorVisible = false;
        } else {
            loadTableMode(TableMode::Table2D);
            view_.trigTimingVisible = true;
            view_.mapSensorVisible = false;
        }
        loadMap(img.mapSensorInUse());
        if (img.Cyl6)
            loadCylinders(Cylinders::Six);
        else if (img.Cyl4 != true)
            loadCylinders(Cylinders::Eight);
        else
            loadCylinders(Cylinders::Four);
        showCrankPulses();
        showRetardComp();
        showStartRetard();
        if (img.StartRetard < 1) {
            loadStartRtd(false);
            view_.startRtdVisible = false;
        } else {
            loadStartRtd(true);
            view_.startRtdVisible = true;
        }
        trigTiming_ = img.TrigTiming;
        showTrigTiming();
    });
}

void ModParamsForm::loadTableMode(TableMode mode) {
    if (view_.tableMode != mode) optTableMode_Click(mode);
}

void ModParamsForm::loadMap(int sensor) {
    if (view_.mapSensor != sensor) optMAP_Click(sensor);
}

void ModParamsForm::loadCylinders(Cylinders c) {
    if (view_.cylinders != c) optCyl_Click(c);
}

void ModParamsForm::loadTimingDisable(bool checked) {
    if (view_.timingDisable != checked) chkTimingDisable_Click(checked);
}

void ModParamsForm::loadStartRtd(bool checked) {
    if (view_.startRtd != checked) chkStartRtd_Click(checked);
}

void ModParamsForm::optTableMode_Click(TableMode mode) {
    guarded([&] {
        ConfigImage& img = ctx_.image;
        view_.tableMode = mode;
        img.Table2DEnabled = mode == TableMode::Table2D;
        img.Table3DEnabled = mode == TableMode::Table3D;
        view_.trigTimingVisible = mode != TableMode::Disabled;
        view_.mapSensorVisible = mode == TableMode::Table3D;
        ctx_.state.setTableMenus(mode != TableMode::Disabled);
    });
}

void ModParamsForm::optMAP_Click(int sensor) {
    guarded([&] {
        view_.mapSensor = sensor;
        ctx_.image.MAPSensor = uint8_t(sensor);
    });
}

void ModParamsForm::optCyl_Click(Cylinders c) {
    guarded([&] {
        view_.cylinders = c;
        ctx_.image.Cyl4 = c == Cylinders::Four;
        ctx_.image.Cyl6 = c == Cylinders::Six;
    });
}

void ModParamsForm::chkTimingDisable_Click(bool checked) {
    guarded([&] {
        view_.timingDisable = checked;
        ctx_.image.TimingEnable = !checked;
    });
}

void ModParamsForm::chkStartRtd_Click(bool checked) {
    guarded([&] {
        view_.startRtd = checked;
        view_.startRtdVisible = checked;
        if (!checked) ctx_.image.StartRetard = 0;
        showStartRetard();
    });
}

void ModParamsForm::sldTrigTiming_Change(int position) {
    guarded([&] {
        trigTiming_ = int16_t(ConfigImage::kMaxTrigTiming - position);
        showTrigTiming();
    });
}

void ModParamsForm::sldCrankPulses_Change(int position) {
    guarded([&] {
        ctx_.image.CrankPulses = int16_t(12 - position);
        showCrankPulses();
    });
}

void ModParamsForm::sldRetardComp_Change(int position) {
    guarded([&] {
        ctx_.image.RetardComp = retardCompCounts(position);
        showRetardComp();
    });
}

void ModParamsForm::sldStartRetard_Change(int position) {
    guarded([&] {
        ctx_.image.StartRetard = startRetardCounts(position);
        showStartRetard();
    });
}

void ModParamsForm::showTrigTiming() {
    view_.trigTiming = {
        clampPosition(ConfigImage::kMaxTrigTiming - trigTiming_, kTrigTimingPositions),
        QString::number(trigTiming_)};
}

void ModParamsForm::showCrankPulses() {
    const int16_t pulses = ctx_.image.CrankPulses;
    view_.crankPulses = {clampPosition(12 - pulses, kCrankPulsesPositions),
                         QString::number(pulses)};
}

void ModParamsForm::showRetardComp() {
    const int16_t counts = ctx_.image.RetardComp;
    view_.retardComp = {clampPosition(kRetardCompPositions - roundHalfEven(counts * (2 * kCount)),
                                      kRetardCompPositions),
                        retardCompText(counts)};
}

void ModParamsForm::showStartRetard() {
    const int16_t counts = ctx_.image.StartRetard;
    view_.startRetard = {clampPosition(kStartRetardPositions - roundHalfEven(counts * kCount),
                                       kStartRetardPositions),
                         startRetardText(counts)};
}

void ModParamsForm::cmdOK_Click() {
    ConfigImage& img = ctx_.image;
    const double t = trigTiming_;
    const TableKind k2D = TableKind::Table2D, k3D = TableKind::Table3D;
    const double low = lowestValue(LimitRule::ParamsOk, k2D, trigTiming_);
    auto bring = [&](TableKind kind, double a) {
        return limited(LimitRule::ParamsOk, kind, trigTiming_, a);
    };
    // Counted before anything moves: the table as it was goes to Tune History first.
    int moved[2] = {0, 0};  // 2D, 3D
    for (int k = 1; k <= ConfigImage::kRpmColumns; ++k) {
        moved[0] += bring(k2D, img.Table2D(k, 1)) != img.Table2D(k, 1);
        for (int r = 1; r <= ConfigImage::kMapRows; ++r)
            moved[1] += bring(k3D, img.Table3D(k, r)) != img.Table3D(k, r);
    }
    const int brought = moved[0] + moved[1];
    bool kept = false;
    if (brought > 0 && !img.BufferEmpty &&
        history::keep(ctx_, HistoryEvent::BeforeClip, history::savedBytes(img),
                      ctx_.state.DisplayName, QString("before Trig Timing %1").arg(trigTiming_)))
        kept = true;
    for (int k = 1; k <= ConfigImage::kRpmColumns; ++k) {
        img.Table2D(k, 1) = bring(k2D, img.Table2D(k, 1));
        img.Table2D(k, 2) = t;
    }
    for (int r = ConfigImage::kMapRows; r >= 1; --r)
        for (int k = 1; k <= ConfigImage::kRpmColumns; ++k)
            img.Table3D(k, r) = bring(k3D, img.Table3D(k, r));
    img.BufferEmpty = false;
    img.TrigTiming = trigTiming_;
    // One word in the status bar for both: what was brought in, and where the old table is.
    // The table in use is what the tuner thinks of; the other is named apart.
    if (brought > 0) {
        const auto inUse = img.tableInUse();
        auto cells = [](int n) { return n == 1 ? QString("1 cell") : QString("%1 cells").arg(n); };
        QStringList parts;
        for (const TableKind kind : {TableKind::Table2D, TableKind::Table3D}) {
            const int n = moved[kind == TableKind::Table3D];
            if (n == 0) continue;
            const QString name = kind == TableKind::Table2D ? "2D" : "3D";
            if (kind == inUse)
                parts.prepend(cells(n));
            else
                parts << cells(n) + " of the " + name + " table not in use";
        }
        ctx_.tell(QString("OK brought %1 into %2° to %3°")
                      .arg(parts.join(" and "), formatFixed(low, 1), formatFixed(t, 1)) +
                  (kept ? QString(". ") + history::kClippedKept : QString()));
    }
}

}  // namespace velo
