#pragma once

#include <array>
#include <cstdint>

namespace velo::protocol {

// Single-byte commands of the IGX-1 and its answers.
inline constexpr uint8_t kResync = 0x33;
inline constexpr uint8_t kReadStatus = 0x2E;
inline constexpr uint8_t kReadFirmwareId = 0x10;
inline constexpr uint8_t kSetAddress = 0x14;
inline constexpr uint8_t kReadByte = 0x15;
inline constexpr uint8_t kWriteByte = 0x16;
inline constexpr uint8_t kReset = 0x34;
inline constexpr uint8_t kAck = 0x06;
inline constexpr uint8_t kEndOfId = 0x0D;
inline constexpr uint8_t kStatusEngineStopped = 1;

// The controller restarts only when 0x34 is followed by exactly these four bytes.
inline constexpr std::array<uint8_t, 4> kResetKey = {0x5A, 0xA5, 0xC3, 0x3C};

inline constexpr int kBaud = 56000;
inline constexpr int kBitsPerByte = 10;  // start, 8 data, stop

}  // namespace velo::protocol
