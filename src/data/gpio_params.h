#pragma once

#include "core/app_context.h"
#include "data/config_image.h"

#include <QString>
#include <cstdint>
#include <functional>

namespace velo {

// What the GPIO parameters dialog does, without its widgets: the mode choices, which
// boxes they enable, and the checks and corrections when a box is left. Every change goes
// into the shared parameters at once.
class GPIOParamsForm {
  public:
    // Modes by their value in the low four bits of each mode byte.
    enum GPI1 { GPI1Off = 0, GPI1AnalogRtd = 1, GPI1DigitalRtd = 2 };
    enum GPI2 { GPI2Off = 0, GPI2DigitalRtd = 1 };
    enum GPIO3 { GPIO3Off = 0, GPIO3DigitalRtd = 1, GPIO3RPMSwitch = 2 };
    enum class Box { GPI1Rtd, GPI2Rtd, GPIO3Rtd, GPIO3MinRPM, GPIO3MaxRPM };

    struct TextBox {
        QString text;
        bool enabled = true;
    };
    struct View {
        int gpi1Mode = GPI1DigitalRtd;
        int gpi2Mode = GPI2DigitalRtd;
        int gpio3Mode = GPIO3DigitalRtd;
        TextBox gpi1Rtd, gpi2Rtd, gpio3Rtd, minRpm, maxRpm;
    };

    explicit GPIOParamsForm(AppContext& ctx) : ctx_(ctx) {}

    void Form_Load();
    void optGPI1_Click(int mode);
    void optGPI2_Click(int mode);
    void optGPIO3_Click(int mode);
    // The box has been left with this text: checked, stored and shown corrected. True
    // when a correction was announced.
    bool validate(Box box, const QString& text);

    const View& view() const { return view_; }
    TextBox& box(Box b);

    // Degrees in a retard box as stored counts, and counts as shown.
    static int16_t retardCounts(double degrees);
    static QString retardText(int16_t counts);

  private:
    void guarded(const std::function<void()>& body);
    void enableBoxes();
    // The entry's whole number kept within [low, high]; outside, the box's message.
    double limited(const QString& text, const QString& title, int low, const QString& lowName,
                   int high);
    void validateRetard(int16_t& counts, TextBox& b, const QString& text);
    void validateMinRPM(const QString& text);
    void validateMaxRPM(const QString& text);

    AppContext& ctx_;
    View view_;
    bool announced_ = false;
};

}  // namespace velo
