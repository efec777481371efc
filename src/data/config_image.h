#pragma once

#include "core/table_shape.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace velo {

class Trap;

// 1-based array with the bounds the tables are addressed by (RPM column k, MAP index r).
template <int Cols, int Rows>
class TableArray {
  public:
    double& operator()(int k, int r) { return cells_[k - 1][r - 1]; }
    double operator()(int k, int r) const { return cells_[k - 1][r - 1]; }
    static constexpr int columns() { return Cols; }
    static constexpr int rows() { return Rows; }

  private:
    std::array<std::array<double, Rows>, Cols> cells_{};
};

// `BufferEmpty`: a flag that tells whoever shows it of every change. A copy of the
// image takes the value, not the listeners.
class BufferFlag {
  public:
    BufferFlag(bool value = true) : value_(value) {}
    BufferFlag(const BufferFlag& other) : value_(other.value_) {}
    BufferFlag& operator=(const BufferFlag& other) { return *this = other.value_; }
    BufferFlag& operator=(bool value) {
        if (value != value_) {
            value_ = value;
            for (const auto& listener : listeners_) listener(value_);
        }
        return *this;
    }
    operator bool() const { return value_; }
    void onChange(std::function<void(bool)> listener) { listeners_.push_back(std::move(listener)); }

  private:
    bool value_;
    std::vector<std::function<void(bool)>> listeners_;
};

// The controller's EEPROM image and its decoded form, shared by the window, the link,
// the data files, the dialogs and the command-line tool.
class ConfigImage {
  public:
    static constexpr int kBufferSize = 280;
    static constexpr int kFirstAddress = 16;  // first byte that travels to the controller
    static constexpr int kLastAddress = 279;
    static constexpr int kImageBytes = kLastAddress - kFirstAddress + 1;  // 264
    static constexpr double kDegreesPerCount = 0.0879;
    static constexpr int kMaxTrigTiming = 40;
    static constexpr int kRpmColumns = velo::kRpmColumns;
    static constexpr int kMapRows = velo::kMapRows;

    // Image offsets.
    enum Offset : int {
        kTable2DStart = 16,
        kTrigTiming = 48,
        kCrankPulses = 49,
        kOptions = 50,
        kRetardComp = 51,
        kStartRetard = 52,
        kMapSensor = 53,
        kGpi1Mode = 64,
        kGpi1Retard = 65,
        kGpi2Mode = 72,
        kGpi2Retard = 73,
        kGpio3Mode = 80,
        kGpio3Retard = 81,
        kGpio3MinRpm = 82,
        kGpio3MaxRpm = 83,
        kTable3DStart = 112,
    };

    std::array<uint8_t, kBufferSize> DataBuffer{};
    BufferFlag BufferEmpty = true;
    static constexpr int16_t TimingRange = 22;

    int16_t TrigTiming = 30;
    int16_t CrankPulses = 2;
    uint8_t OptionsByte = 0x04;
    bool Cyl4 = false;
    bool Cyl6 = false;
    bool TimingEnable = true;
    bool Table2DEnabled = false;
    bool Table3DEnabled = false;
    int16_t RetardComp = 0;
    int16_t StartRetard = 0;
    uint8_t MAPSensor = 0;
    uint8_t GPI1Mode = 2;
    int16_t GPI1Retard = 23;
    uint8_t GPI2Mode = 1;
    int16_t GPI2Retard = 34;
    uint8_t GPIO3Mode = 1;
    int16_t GPIO3Retard = 46;
    int16_t GPIO3MinRPM = 3000;
    int16_t GPIO3MaxRPM = 6000;

    // (k, 1) advance at RPM column k, (k, 2) the trigger timing it was decoded against.
    TableArray<kRpmColumns, 2> Table2D;
    // (k, r) advance at RPM column k and MAP index r; index 8 is the lowest pressure.
    TableArray<kRpmColumns, kMapRows> Table3D;

    // The sensor index the dialog and the 3D labels go by: 0, 1 or 2 (1, 2 or 3 bar);
    // any other stored value counts as 0.
    int mapSensorInUse() const { return MAPSensor <= 2 ? MAPSensor : 0; }
    // The table Edit Timing Table opens: the 2D one when both flags are set. Every command
    // that reads, checks or writes "the table in use" asks this.
    std::optional<TableKind> tableInUse() const {
        if (Table2DEnabled) return TableKind::Table2D;
        if (Table3DEnabled) return TableKind::Table3D;
        return std::nullopt;
    }

    void ClearEEPROMBuffer();
    void UpdateParams();
    // A value that does not fit its byte raises the overflow error. With a trap each
    // byte is one statement (Retry, Ignore, Abort as answered); without one it throws.
    void UpdateEEPROM(Trap* trap = nullptr);

    // The 264 bytes that travel to the controller and to data files.
    std::array<uint8_t, kImageBytes> imageBytes() const;
    void setImageBytes(const std::array<uint8_t, kImageBytes>& bytes);
    // The buffer as File Open leaves it: the bytes in place, no longer empty, decoded.
    void loadImageBytes(const std::array<uint8_t, kImageBytes>& bytes);

    // Cell encoding used when a table is saved to the buffer: degrees to the stored count,
    // relative to the trigger timing of the moment. A count beyond 16 bits overflows, as
    // the conversion does.
    static uint8_t encodeCell(int trigTiming, double advance);
    static int offset2D(int k) { return 15 + k; }
    static int offset3D(int k, int r) {
        return kTable3DStart + (kMapRows - r) * kRpmColumns + (k - 1);
    }
};

}  // namespace velo
