#pragma once

#include <QString>
#include <cstdint>

namespace velo {

// A run-time error as the error report shows it: number, source and the description
// that is the message to the user.
struct RunError {
    int32_t number = 0;
    QString source;
    QString description;
    // Shown after the report, in a box of its own: what the user can do about it.
    QString followUp = {};
};

// The program's own errors sit above the user-error base; the link and File Open use
// base + 1000, File Save base + 1001.
inline constexpr int32_t kUserErrorBase = int32_t(0x80040000u);
inline constexpr int32_t kCommError = kUserErrorBase + 1000;      // 0x800403E8
inline constexpr int32_t kFileSaveError = kUserErrorBase + 1001;  // 0x800403E9
inline constexpr int32_t kOverflowError = 6;

[[noreturn]] inline void raise(int32_t number, const QString& source, const QString& description) {
    throw RunError{number, source, description};
}

}  // namespace velo
