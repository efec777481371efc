#include "data/config_image.h"

#include "core/error_report.h"
#include "core/numeric.h"

#include <algorithm>
#include <functional>
#include <limits>

namespace velo {

namespace {

uint8_t toByte(long long value) {
    if (value < 0 || value > 255) raise(kOverflowError, "Velo_IGX_Main", "Overflow");
    return uint8_t(value);
}

int16_t clampTo(int value, int lo, int hi) {
    return int16_t(std::clamp(value, lo, hi));
}

}  // namespace

void ConfigImage::ClearEEPROMBuffer() {
    DataBuffer.fill(0);
    BufferEmpty = true;
}

void ConfigImage::UpdateParams() {
    for (int i = 0; i < kRpmColumns; ++i) Table2D(i + 1, 1) = kDegreesPerCount * DataBuffer[16 + i];
    for (int i = 0; i < kCells3D; ++i)
        Table3D(i % kRpmColumns + 1, kMapRows - i / kRpmColumns) =
            kDegreesPerCount * DataBuffer[112 + i];

    TrigTiming = std::min<int16_t>(DataBuffer[kTrigTiming], kMaxTrigTiming);
    for (int k = 1; k <= kRpmColumns; ++k) {
        Table2D(k, 1) = std::max(0.0, TrigTiming - Table2D(k, 1));
        Table2D(k, 2) = TrigTiming;
    }
    // 3D cells are not clamped at 0: a small trigger timing gives negative advances.
    for (int i = 0; i < kCells3D; ++i) {
        double& cell = Table3D(i % kRpmColumns + 1, kMapRows - i / kRpmColumns);
        cell = TrigTiming - cell;
    }

    CrankPulses = clampTo(DataBuffer[kCrankPulses], 2, 12);
    OptionsByte = DataBuffer[kOptions];
    Cyl4 = OptionsByte & 0x01;
    Cyl6 = OptionsByte & 0x02;
    TimingEnable = OptionsByte & 0x04;
    Table2DEnabled = OptionsByte & 0x08;
    Table3DEnabled = OptionsByte & 0x10;

    RetardComp = DataBuffer[kRetardComp];
    StartRetard = DataBuffer[kStartRetard];
    MAPSensor = DataBuffer[kMapSensor];
    GPI1Mode = DataBuffer[kGpi1Mode];
    GPI1Retard = DataBuffer[kGpi1Retard];
    GPI2Mode = DataBuffer[kGpi2Mode];
    GPI2Retard = DataBuffer[kGpi2Retard];
    GPIO3Mode = DataBuffer[kGpio3Mode];
    GPIO3Retard = DataBuffer[kGpio3Retard];
    GPIO3MinRPM = int16_t(DataBuffer[kGpio3MinRpm] * 50);
    GPIO3MaxRPM = int16_t(DataBuffer[kGpio3MaxRpm] * 50);
}

void ConfigImage::UpdateEEPROM(Trap* trap) {
    auto run = [trap](const std::function<void()>& statement) {
        if (!trap) {
            statement();
            return true;
        }
        return trap->step(statement);
    };
    auto store = [&](int offset, long long value) {
        return run([&] { DataBuffer[offset] = toByte(value); });
    };

    if (!store(kTrigTiming, std::clamp<int>(TrigTiming, 0, kMaxTrigTiming))) return;
    if (!store(kCrankPulses, std::clamp<int>(CrankPulses, 2, 12))) return;

    uint8_t options = Cyl4 ? 1 : 0;
    if (Cyl6)
        options = 2;
    else
        options &= ~0x02;
    if (TimingEnable) options |= 0x04;
    if (Table2DEnabled) options |= 0x08;
    if (Table3DEnabled) options |= 0x10;
    OptionsByte = options;
    DataBuffer[kOptions] = options;

    const std::pair<int, long long> plain[] = {
        {kRetardComp, RetardComp}, {kStartRetard, StartRetard}, {kMapSensor, MAPSensor},
        {kGpi1Mode, GPI1Mode},     {kGpi1Retard, GPI1Retard},   {kGpi2Mode, GPI2Mode},
        {kGpi2Retard, GPI2Retard}, {kGpio3Mode, GPIO3Mode},     {kGpio3Retard, GPIO3Retard},
    };
    for (const auto& [offset, value] : plain)
        if (!store(offset, value)) return;
    if (!store(kGpio3MinRpm, roundHalfEven(GPIO3MinRPM / 50.0))) return;
    store(kGpio3MaxRpm, roundHalfEven(GPIO3MaxRPM / 50.0));
}

std::array<uint8_t, ConfigImage::kImageBytes> ConfigImage::imageBytes() const {
    std::array<uint8_t, kImageBytes> out{};
    std::copy(DataBuffer.begin() + kFirstAddress, DataBuffer.end(), out.begin());
    return out;
}

void ConfigImage::setImageBytes(const std::array<uint8_t, kImageBytes>& bytes) {
    std::copy(bytes.begin(), bytes.end(), DataBuffer.begin() + kFirstAddress);
}

void ConfigImage::loadImageBytes(const std::array<uint8_t, kImageBytes>& bytes) {
    setImageBytes(bytes);
    BufferEmpty = false;
    UpdateParams();
}

uint8_t ConfigImage::encodeCell(int trigTiming, double advance) {
    const double counts = (trigTiming - advance) / kDegreesPerCount;
    if (!(counts >= std::numeric_limits<int16_t>::min() - 0.5 &&
          counts < std::numeric_limits<int16_t>::max() + 0.5))
        raise(kOverflowError, "Velo_IGX_Main", "Overflow");
    return uint8_t(std::clamp<long long>(roundHalfEven(counts), 0, 255));
}

}  // namespace velo
