#include "data/param_rows.h"

#include "data/config_image.h"
#include "data/gpio_params.h"
#include "data/mod_params.h"

namespace velo {

namespace {

using Im = ConfigImage;

QString stored(const QString& text, int byte, bool told) {
    return told ? text : QString("%1 (stored value %2)").arg(text).arg(byte);
}

QString counts(const QString& degrees, int c) {
    return QString("%1 deg (%2 counts)").arg(degrees).arg(c);
}

// The option the dialog selects for the low four bits; the byte when that hides bits.
QString mode(const QStringList& captions, uint8_t byte) {
    const int low = byte & 0x0F;
    const QString caption = captions.value(low < captions.size() ? low : 0);
    if (low < captions.size() && (byte & 0xF0) == 0) return caption;
    return QString("%1 (mode byte 0x%2)").arg(caption).arg(int(byte), 2, 16, QChar('0'));
}

}  // namespace

QVector<ParamRow> parameterRows(const ConfigImage& im) {
    const auto& buf = im.DataBuffer;
    const QString table = im.Table3DEnabled   ? "3D Timing Table"
                          : im.Table2DEnabled ? "2D Timing Table"
                                              : "Disable Timing Table";
    const QString cylinders = im.Cyl6   ? "6 Cylinder Engine"
                              : im.Cyl4 ? "4 Cylinder Engine"
                                        : "8 Cylinder Engine";
    const QString map = QString("%1 bar").arg(im.mapSensorInUse() + 1);
    const int trig = buf[Im::kTrigTiming];
    const int crank = buf[Im::kCrankPulses];
    const QString startRetard =
        im.StartRetard < 1 ? QString("Off")
                           : counts(ModParamsForm::startRetardText(im.StartRetard), im.StartRetard);
    auto gpioRetard = [](int16_t c) { return counts(GPIOParamsForm::retardText(c), c); };
    auto rpm = [](int16_t v) { return QString("%1 RPM").arg(v); };
    return {
        {"Timing Table", table, Im::kOptions},
        {"MAP Sensor", stored(map, im.MAPSensor, im.MAPSensor <= 2), Im::kMapSensor},
        {"Trig Timing", stored(QString("%1 deg").arg(im.TrigTiming), trig, trig <= 40),
         Im::kTrigTiming},
        {"Cylinders", cylinders, Im::kOptions},
        {"Disable Timing Functions", im.TimingEnable ? "No" : "Yes", Im::kOptions},
        {"Start Retard", startRetard, Im::kStartRetard},
        {"Cranking Pulses", stored(QString::number(im.CrankPulses), crank, crank == im.CrankPulses),
         Im::kCrankPulses},
        {"Retard Comp", counts(ModParamsForm::retardCompText(im.RetardComp), im.RetardComp),
         Im::kRetardComp},
        {"General Purpose Input 1", mode({"Off", "Analog Retard", "Digital Retard"}, im.GPI1Mode),
         Im::kGpi1Mode},
        {"GPI1 Retard", gpioRetard(im.GPI1Retard), Im::kGpi1Retard},
        {"General Purpose Input 2", mode({"Off", "Digital Retard"}, im.GPI2Mode), Im::kGpi2Mode},
        {"GPI2 Retard", gpioRetard(im.GPI2Retard), Im::kGpi2Retard},
        {"General Purpose Input/Output 3",
         mode({"Off", "Digital Retard", "RPM Window Switch"}, im.GPIO3Mode), Im::kGpio3Mode},
        {"GPIO3 Retard", gpioRetard(im.GPIO3Retard), Im::kGpio3Retard},
        {"GPIO3 Minimum RPM", rpm(im.GPIO3MinRPM), Im::kGpio3MinRpm},
        {"GPIO3 Maximum RPM", rpm(im.GPIO3MaxRPM), Im::kGpio3MaxRpm},
    };
}

}  // namespace velo
