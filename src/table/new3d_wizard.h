#pragma once

#include "table/table_commands.h"

#include <QString>
#include <cstdint>

namespace velo {

// What the new 3D table wizard does, without its widgets: the trigger and base timing
// sliders, which keep the base within TimingRange below the trigger timing, and the flat
// table they generate.
class New3DTableForm {
  public:
    struct Slider {
        int position = 40;  // value 0 until the form loads
        QString label = "0";
        bool operator==(const Slider&) const = default;
    };

    explicit New3DTableForm(TableEditor& editor) : editor_(editor) {}

    // Starting values; a 3D table on the screen is asked about and hidden.
    void Form_Load();
    void sldBaseTmg_Change(int position);
    void sldTrigTiming_Change(int position);
    void cmdUpdate_Click();
    // Fills the table under the new trigger timing and keeps it.
    void cmdOK_Click();
    // Every cell the base timing; the table opens in the window.
    void CreateNewTable();

    int16_t baseTiming() const { return base_; }
    int16_t trigTiming() const { return trig_; }
    const Slider& baseSlider() const { return baseSlider_; }
    const Slider& trigSlider() const { return trigSlider_; }

  private:
    void guarded(const std::function<void()>& body);
    // The base timing within [trigger - TimingRange, trigger], slider and label to match.
    void followTrigger();
    void showBase();

    TableEditor& editor_;
    int16_t base_ = 0, trig_ = 0;
    Slider baseSlider_, trigSlider_;
};

}  // namespace velo
