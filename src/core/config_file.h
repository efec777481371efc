#pragma once

#include "core/app_files.h"

#include <QString>
#include <QStringList>

namespace velo {

// The maker's branding from "Velo_IGX.cfg": what the splash shows and the maker lines
// that start the title, the About message and the report.
struct BrandInfo {
    QStringList SplashInfo;  // company line, font name, size, style, logo file
    QStringList MakerInfo;   // maker's name, then detail lines

    static BrandInfo defaults();
    // Entry n counted from 1. A file that gives fewer entries fails here, when the
    // missing one is read, with a run-time error.
    QString splash(int n) const;
    QString maker(int n) const;
    QString makerName() const { return maker(1); }
    int fontSize() const;  // the number entry 3 starts with, 0 without one
    bool bold() const { return splash(4).contains("bold", Qt::CaseInsensitive); }
    bool italic() const { return splash(4).contains("italic", Qt::CaseInsensitive); }
    bool hasLogo() const { return splash(5).toUpper() != "NULL"; }
};

inline constexpr const char* kConfigFileName = "Velo_IGX.cfg";

// Reads Velo_IGX.cfg where `files` finds it; a missing file gives the defaults. A file that cannot
// be read, or that ends before the marker line closing the splash lines, raises a run-time error;
// `partial` then holds what was read.
BrandInfo readConfigFile(const AppFiles& files, BrandInfo* partial = nullptr);

// The About message for these maker lines.
QString aboutText(const BrandInfo& brand);

}  // namespace velo

namespace velo {
class UserInteraction;
// The splash form's reading of the configuration file: a failure goes to the error
// report; after Abort or Ignore what was read so far is used.
BrandInfo loadBrandInfo(UserInteraction& ui, const AppFiles& files);
}  // namespace velo
