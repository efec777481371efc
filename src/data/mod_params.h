#pragma once

#include "core/app_context.h"
#include "data/config_image.h"

#include <QString>
#include <cstdint>

namespace velo {

// What the module parameters dialog does, without its widgets: each control's effect on
// the shared parameters and the window's table menus, and what each control shows. The
// dialog calls the handler of a control the user changed and redraws from view().
class ModParamsForm {
  public:
    enum class TableMode { Table2D, Table3D, Disabled };
    enum class Cylinders { Four, Six, Eight };

    struct Slider {
        int position = 0;
        QString label;
        bool operator==(const Slider&) const = default;
    };
    struct View {
        TableMode tableMode = TableMode::Disabled;
        bool trigTimingVisible = true;  // fraTrigTiming
        bool mapSensorVisible = true;   // fraMAPSensor
        int mapSensor = 0;              // 0 "1 bar", 1 "2 bar", 2 "3 bar"
        Cylinders cylinders = Cylinders::Eight;
        bool timingDisable = false;   // chkTimingDisable
        bool startRtd = false;        // chkStartRtd
        bool startRtdVisible = true;  // fraStartRtd
        Slider trigTiming, crankPulses, retardComp, startRetard;
    };

    static constexpr int kTrigTimingPositions = 40;
    static constexpr int kCrankPulsesPositions = 10;
    static constexpr int kRetardCompPositions = 10;
    static constexpr int kStartRetardPositions = 10;

    explicit ModParamsForm(AppContext& ctx) : ctx_(ctx) {}

    // Sets every control from the parameters, with the clicks that changes imply.
    void Form_Load();

    void optTableMode_Click(TableMode mode);
    void optMAP_Click(int sensor);
    void optCyl_Click(Cylinders c);
    void chkTimingDisable_Click(bool checked);
    void chkStartRtd_Click(bool checked);
    void sldTrigTiming_Change(int position);
    void sldCrankPulses_Change(int position);
    void sldRetardComp_Change(int position);
    void sldStartRetard_Change(int position);
    // Commits the trigger timing and brings both tables into its window.
    void cmdOK_Click();

    const View& view() const { return view_; }
    int16_t trigTiming() const { return trigTiming_; }

    // The counts a slider position gives and the text shown for counts.
    static int16_t retardCompCounts(int position);
    static int16_t startRetardCounts(int position);
    static QString retardCompText(int16_t counts);
    static QString startRetardText(int16_t counts);

  private:
    // Runs a handler under the error report.
    void guarded(const std::function<void()>& body);
    // A control set by loading acts as if clicked when its state changes.
    void loadTableMode(TableMode mode);
    void loadMap(int sensor);
    void loadCylinders(Cylinders c);
    void loadTimingDisable(bool checked);
    void loadStartRtd(bool checked);
    void showStartRetard();
    void showRetardComp();
    void showTrigTiming();
    void showCrankPulses();

    AppContext& ctx_;
    View view_;
    int16_t trigTiming_ = 0;
};

}  // namespace velo
