#include "table/new2d_wizard.h"

#include "table/limit_notice.h"

#include "core/error_report.h"
#include "core/numeric.h"
#include "data/timing_limits.h"

#include <cmath>

namespace velo {

namespace {

constexpr const char* kZero = "zero";

QString wholeText(int v) {
    return formatFixed(v, 0);
}

}  // namespace

bool closeTableForWizard(TableEditor& editor) {
    // Whichever table is open: the parameters may have switched the kind in use under it.
    if (editor.session()) {
        switch (editor.ctx.ui.message("Close File", "Save timing table before closing file?",
                                      Buttons::YesNoCancel, Icon::Exclamation)) {
            case Answer::Yes:
                // The data file cannot be saved while a table is open: keep the edits in
                // the buffer instead, from where File > Save writes them.
                mnuSaveTbl_Click(editor);
                if (editor.session()) return false;  // the save was aborted
                break;
            case Answer::No:
                break;
            default:
                return false;
        }
    }
    editor.close();
    MainState& state = editor.ctx.state;
    state.setTitle(state.BaseTitle);
    return true;
}

void New2DTableForm::guarded(const std::function<void()>& body) {
    Trap trap(editor_.ctx.ui);
    trap.step(body);
}

void New2DTableForm::setValue(Box box, int16_t v) {
    values_[box] = v;
    texts_[box] = wholeText(v);
}

void New2DTableForm::Form_Load() {
    guarded([&] {
        const int16_t trig = editor_.ctx.image.TrigTiming;
        int16_t start = 10, final = 30;
        if (start + 10 >= trig) start = int16_t(trig - 10);
        if (start < 0) start = 0;
        if (final >= trig) final = trig;
        if (final < 0) final = 0;
        setValue(TrigTiming, trig);
        setValue(StartRPM, 1500);
        setValue(FinalRPM, 3000);
        setValue(StartTiming, start);
        setValue(FinalTiming, final);
        closeTableForWizard(editor_);
    });
}

double New2DTableForm::limited(const QString& text, const QString& title, double low,
                               const QString& lowText, double high, const QString& highText) {
    double v = leadingNumber(text);
    if (v < low) {
        editor_.ctx.ui.message(title, "Value must be greater than or equal to " + lowText,
                               Buttons::Ok, Icon::Exclamation);
        v = low;
    } else if (v > high) {
        editor_.ctx.ui.message(title, "Value must be less than or equal to " + highText,
                               Buttons::Ok, Icon::Exclamation);
        v = high;
    }
    return v;
}

void New2DTableForm::validate(Box box, const QString& text) {
    guarded([&] {
        int16_t& trig = values_[TrigTiming];
        switch (box) {
            case TrigTiming: {
                setValue(
                    TrigTiming,
                    int16_t(std::floor(limited(text, "Trigger Timing Value", 0, kZero, 40, "40"))));
                for (Box b : {StartTiming, FinalTiming})
                    if (values_[b] > trig) setValue(b, trig);
                break;
            }
            case StartRPM:
            case FinalRPM: {
                const bool start = box == StartRPM;
                const double v =
                    start ? limited(text, "Start RPM Parameter", 500, "500", 10000, "10000")
                          : limited(text, "Final RPM Parameter", 1000, "1000", 10000, "10000");
                setValue(box, int16_t(500 * roundHalfEven(v / 500)));
                // Start RPM never lies above final RPM: the other box follows.
                const Box other = start ? FinalRPM : StartRPM;
                if (start ? values_[StartRPM] > values_[FinalRPM]
                          : values_[FinalRPM] < values_[StartRPM]) {
                    values_[other] = values_[box];
                    texts_[other] = texts_[box];
                }
                break;
            }
            case StartTiming:
            case FinalTiming: {
                const QString title =
                    box == StartTiming ? "Start Timing Value" : "Final Timing Value";
                setValue(box, int16_t(std::floor(limited(text, title, 0, kZero, trig,
                                                         "trigger timing: " + wholeText(trig)))));
                break;
            }
            case BoxCount:
                break;
        }
    });
}

void New2DTableForm::CreateNewTable() {
    // Single precision on purpose: the ramp must land on the same counts as the
    // controller's own tables always have.
    float d = float(values_[FinalRPM] - values_[StartRPM]);
    if (d < 0) {
        editor_.ctx.ui.message("New Timing Table Wizard",
                               "User error - start RPM must be less than final RPM.", Buttons::Ok,
                               Icon::Exclamation);
        return;
    }
    if (d < 1) d = 1;  // equal RPMs: a step at that RPM
    const int16_t trig = values_[TrigTiming];
    const int16_t startAdv = values_[StartTiming], finalAdv = values_[FinalTiming];
    const float slope = float(finalAdv - startAdv) / d;
    const float offset = float(startAdv) - slope * float(values_[StartRPM]);
    const int16_t lo = std::min(startAdv, finalAdv), hi = std::max(startAdv, finalAdv);
    ConfigImage& image = editor_.ctx.image;
    QMap<double, int> limited;
    for (int k = 1; k <= ConfigImage::kRpmColumns; ++k) {
        const float v = slope * float((k - 1) * 500) + offset;
        const double count = double(roundHalfEven(double(v) / ConfigImage::kDegreesPerCount));
        float q = float(count * ConfigImage::kDegreesPerCount);
        if (q < lo)
            q = lo;
        else if (q > hi)
            q = hi;
        const float ramp = q;
        q = float(velo::limited(LimitRule::Modify, TableKind::Table2D, trig, q));
        if (q != ramp) ++limited[q];
        image.Table2D(k, 1) = q;
        image.Table2D(k, 2) = trig;
    }
    // Set before the table opens, so its edit limits follow the new trigger timing.
    image.TrigTiming = trig;
    editor_.open(TableKind::Table2D, true);
    if (!limited.isEmpty())
        editor_.ctx.tell(limitNotice("New 2D table", limited, trig, TimingWindow(trig).lower));
    editor_.window->hideValueLabels();
    editor_.window->formResize();
}

}  // namespace velo
