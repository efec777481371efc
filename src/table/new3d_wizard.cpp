#include "table/new3d_wizard.h"

#include "core/error_report.h"
#include "table/new2d_wizard.h"

namespace velo {

namespace {
constexpr int kTop = ConfigImage::kMaxTrigTiming;  // position 0 stands for 40 degrees
}

void New3DTableForm::guarded(const std::function<void()>& body) {
    Trap trap(editor_.ctx.ui);
    trap.step(body);
}

void New3DTableForm::Form_Load() {
    guarded([&] {
        // The values come first, so that a table kept on the screen (Cancel) is never
        // followed by a wizard that would fill it with 0.
        trig_ = editor_.ctx.image.TrigTiming;
        trigSlider_ = {kTop - trig_, QString::number(trig_)};
        base_ = 20;
        if (base_ >= trig_) base_ = trig_;
        if (trig_ - base_ > ConfigImage::TimingRange)
            base_ = int16_t(trig_ - ConfigImage::TimingRange);
        showBase();
        closeTableForWizard(editor_);
    });
}

void New3DTableForm::showBase() {
    baseSlider_ = {kTop - base_, QString::number(base_)};
}

void New3DTableForm::followTrigger() {
    if (base_ < trig_) {
        if (trig_ - base_ > ConfigImage::TimingRange)
            base_ = int16_t(trig_ - ConfigImage::TimingRange);
    } else {
        base_ = trig_;
    }
    showBase();
}

void New3DTableForm::sldBaseTmg_Change(int position) {
    guarded([&] {
        base_ = int16_t(kTop - position);
        followTrigger();
    });
}

void New3DTableForm::sldTrigTiming_Change(int position) {
    guarded([&] {
        trig_ = int16_t(kTop - position);
        trigSlider_ = {position, QString::number(trig_)};
        followTrigger();
    });
}

void New3DTableForm::CreateNewTable() {
    guarded([&] {
        ConfigImage& image = editor_.ctx.image;
        for (int k = 1; k <= kRpmColumns; ++k)
            for (int m = 1; m <= kMapRows; ++m) image.Table3D(k, m) = base_;
        editor_.open(TableKind::Table3D, true);
        editor_.window->hideValueLabels();
        editor_.window->formResize();
    });
}

void New3DTableForm::cmdUpdate_Click() {
    CreateNewTable();
}

void New3DTableForm::cmdOK_Click() {
    // Set first, so the table opens with edit limits for the new trigger timing.
    editor_.ctx.image.TrigTiming = trig_;
    CreateNewTable();
}

}  // namespace velo
