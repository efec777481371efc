#include "data/gpio_params.h"

#include "core/error_report.h"
#include "core/numeric.h"

#include <cmath>

namespace velo {

namespace {

constexpr double kCount = ConfigImage::kDegreesPerCount;

uint8_t withMode(uint8_t modeByte, int mode) {
    return uint8_t((modeByte & 0xF0) | (mode & 0x0F));
}

// An entry as a whole number: its leading number with the fraction dropped downwards.
// Kept as a double so that a huge entry still compares as huge.
double entered(const QString& text) {
    return std::floor(leadingNumber(text));
}

}  // namespace

int16_t GPIOParamsForm::retardCounts(double degrees) {
    return int16_t(roundHalfEven(degrees / kCount));
}

QString GPIOParamsForm::retardText(int16_t counts) {
    return formatFixed(double(roundHalfEven(counts * kCount)), 0);
}

GPIOParamsForm::TextBox& GPIOParamsForm::box(Box b) {
    switch (b) {
        case Box::GPI1Rtd:
            return view_.gpi1Rtd;
        case Box::GPI2Rtd:
            return view_.gpi2Rtd;
        case Box::GPIO3Rtd:
            return view_.gpio3Rtd;
        case Box::GPIO3MinRPM:
            return view_.minRpm;
        case Box::GPIO3MaxRPM:
            return view_.maxRpm;
    }
    return view_.gpi1Rtd;
}

void GPIOParamsForm::guarded(const std::function<void()>& body) {
    Trap trap(ctx_.ui);
    trap.step(body);
}

void GPIOParamsForm::Form_Load() {
    guarded([&] {
        const ConfigImage& img = ctx_.image;
        // A mode the dialog does not know shows as Off, and choosing it stores Off.
        const int m1 = img.GPI1Mode & 0x0F;
        const int want1 = (m1 == GPI1AnalogRtd || m1 == GPI1DigitalRtd) ? m1 : GPI1Off;
        if (view_.gpi1Mode != want1) optGPI1_Click(want1);
        const int m2 = img.GPI2Mode & 0x0F;
        const int want2 = m2 == GPI2DigitalRtd ? m2 : GPI2Off;
        if (view_.gpi2Mode != want2) optGPI2_Click(want2);
        const int m3 = img.GPIO3Mode & 0x0F;
        const int want3 = (m3 == GPIO3DigitalRtd || m3 == GPIO3RPMSwitch) ? m3 : GPIO3Off;
        if (view_.gpio3Mode != want3) optGPIO3_Click(want3);
        enableBoxes();
        view_.gpi1Rtd.text = retardText(img.GPI1Retard);
        view_.gpi2Rtd.text = retardText(img.GPI2Retard);
        view_.gpio3Rtd.text = retardText(img.GPIO3Retard);
        view_.minRpm.text = QString::number(img.GPIO3MinRPM);
        view_.maxRpm.text = QString::number(img.GPIO3MaxRPM);
    });
}

void GPIOParamsForm::enableBoxes() {
    view_.gpi1Rtd.enabled = view_.gpi1Mode == GPI1DigitalRtd;
    view_.gpi2Rtd.enabled = view_.gpi2Mode == GPI2DigitalRtd;
    view_.gpio3Rtd.enabled = view_.gpio3Mode == GPIO3DigitalRtd;
    view_.minRpm.enabled = view_.maxRpm.enabled = view_.gpio3Mode == GPIO3RPMSwitch;
}

void GPIOParamsForm::optGPI1_Click(int mode) {
    guarded([&] {
        view_.gpi1Mode = mode;
        ctx_.image.GPI1Mode = withMode(ctx_.image.GPI1Mode, mode);
        enableBoxes();
    });
}

void GPIOParamsForm::optGPI2_Click(int mode) {
    guarded([&] {
        view_.gpi2Mode = mode;
        ctx_.image.GPI2Mode = withMode(ctx_.image.GPI2Mode, mode);
        enableBoxes();
    });
}

void GPIOParamsForm::optGPIO3_Click(int mode) {
    guarded([&] {
        view_.gpio3Mode = mode;
        ctx_.image.GPIO3Mode = withMode(ctx_.image.GPIO3Mode, mode);
        enableBoxes();
    });
}

bool GPIOParamsForm::validate(Box b, const QString& text) {
    announced_ = false;
    guarded([&] {
        ConfigImage& img = ctx_.image;
        switch (b) {
            case Box::GPI1Rtd:
                validateRetard(img.GPI1Retard, view_.gpi1Rtd, text);
                break;
            case Box::GPI2Rtd:
                validateRetard(img.GPI2Retard, view_.gpi2Rtd, text);
                break;
            case Box::GPIO3Rtd:
                validateRetard(img.GPIO3Retard, view_.gpio3Rtd, text);
                break;
            case Box::GPIO3MinRPM:
                validateMinRPM(text);
                break;
            case Box::GPIO3MaxRPM:
                validateMaxRPM(text);
                break;
        }
    });
    return announced_;
}

double GPIOParamsForm::limited(const QString& text, const QString& title, int low,
                               const QString& lowName, int high) {
    double value = entered(text);
    announced_ = value < low || value > high;
    if (value < low) {
        ctx_.ui.message(title, "Value must be greater than or equal to " + lowName, Buttons::Ok,
                        Icon::Exclamation);
        value = low;
    } else if (value > high) {
        ctx_.ui.message(title, "Value must be less than or equal to " + QString::number(high),
                        Buttons::Ok, Icon::Exclamation);
        value = high;
    }
    return value;
}

void GPIOParamsForm::validateRetard(int16_t& counts, TextBox& b, const QString& text) {
    counts = retardCounts(limited(text, "Retard", 0, "0", 10));
    b.text = retardText(counts);
}

void GPIOParamsForm::validateMinRPM(const QString& text) {
    ConfigImage& img = ctx_.image;
    img.GPIO3MinRPM =
        int16_t(roundHalfEven(limited(text, "Minimum RPM", 0, "zero", 10900) / 50) * 50);
    view_.minRpm.text = formatFixed(img.GPIO3MinRPM, 0);
    if (img.GPIO3MinRPM > img.GPIO3MaxRPM) {
        img.GPIO3MaxRPM = img.GPIO3MinRPM;
        view_.maxRpm.text = view_.minRpm.text;
    }
}

void GPIOParamsForm::validateMaxRPM(const QString& text) {
    ConfigImage& img = ctx_.image;
    img.GPIO3MaxRPM =
        int16_t(roundHalfEven(limited(text, "Maximum RPM", 1000, "1000", 11000) / 50) * 50);
    view_.maxRpm.text = formatFixed(img.GPIO3MaxRPM, 0);
    if (img.GPIO3MaxRPM < img.GPIO3MinRPM) {
        img.GPIO3MinRPM = img.GPIO3MaxRPM;
        view_.minRpm.text = view_.maxRpm.text;
    }
}

}  // namespace velo
