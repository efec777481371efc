#pragma once

#include <QString>

namespace velo {

// What the title shows of a data file's path: its last component (after the last / or
// \, so Windows-style paths typed into the dialog show the same), and of a long name
// only "..." and its last 40 characters.
QString DisplayNameOf(const QString& path);

inline constexpr int kDisplayNameMax = 40;
inline constexpr const char* kDisplayNameEmpty = "Data Buffer Empty";

}  // namespace velo
