#include "core/config_file.h"

#include "core/numeric.h"
#include "core/run_error.h"

#include <QDir>
#include <QFile>
#include <QTextStream>
#include <climits>

namespace velo {

BrandInfo BrandInfo::defaults() {
    return {{"Orvane", "Arial", "28", "bold italic", "Orvane_Logo.gif"},
            {"Orvane", "Orvane Engine Electronics Ltd.", "Unit 7, Kestrel Park",
             "Northfield NF4 2QX", "Tel. +44 1632 960 450", "www.orvane.example"}};
}

namespace {
QString entryOf(const QStringList& list, int n, const char* which) {
    if (n < 1 || n > list.size())
        raise(9, "Velo_IGX_Splash",
              QString("%1 gives no %2 line %3 (Subscript out of range).")
                  .arg(kConfigFileName, which)
                  .arg(n));
    return list[n - 1];
}
}  // namespace

QString BrandInfo::splash(int n) const {
    return entryOf(SplashInfo, n, "splash");
}

QString BrandInfo::maker(int n) const {
    return entryOf(MakerInfo, n, "maker");
}

int BrandInfo::fontSize() const {
    const double size = leadingNumber(splash(3));
    // "1e400" or "3e9" has no int; the splash reports the error like any other size it
    // cannot use.
    if (!(size > INT_MIN - 1.0 && size < INT_MAX + 1.0))
        raise(kOverflowError, "Velo_IGX_Splash", "Overflow");
    return int(size);
}

BrandInfo readConfigFile(const AppFiles& files, BrandInfo* partial) {
    const QString path = files.path(kConfigFileName);
    if (!QFile::exists(path)) return BrandInfo::defaults();

    BrandInfo brand;
    auto fail = [&](const QString& why) {
        if (partial) *partial = brand;
        raise(62, "Velo_IGX_Splash", why);
    };
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        fail(QString("Cannot read %1: %2").arg(QDir::toNativeSeparators(path), file.errorString()));
    QTextStream in(&file);
    in.setEncoding(QStringConverter::Latin1);
    auto isMarker = [](const QString& line) { return line.startsWith('!'); };
    auto next = [&] {
        if (in.atEnd())
            fail(QString("Input past end of file: %1 ends before the marker line that closes "
                         "the splash lines.")
                     .arg(QDir::toNativeSeparators(path)));
        return in.readLine();
    };

    QString line = next();
    while (isMarker(line)) line = next();
    brand.SplashInfo << line;
    for (line = next(); !isMarker(line); line = next()) brand.SplashInfo << line;
    while (!in.atEnd()) {
        line = in.readLine();
        if (isMarker(line)) break;
        brand.MakerInfo << line;
    }
    return brand;
}

QString aboutText(const BrandInfo& brand) {
    QString text = brand.makerName() + " Velo IGX Version 1.00\n\n";
    for (int i = 1; i < brand.MakerInfo.size(); ++i) text += brand.MakerInfo[i] + "\n";
    return text;
}

}  // namespace velo

#include "core/error_report.h"

namespace velo {

BrandInfo loadBrandInfo(UserInteraction& ui, const AppFiles& files) {
    BrandInfo brand;
    Trap trap(ui);
    trap.step([&] {
        BrandInfo partial;
        try {
            brand = readConfigFile(files, &partial);
        } catch (const RunError&) {
            brand = partial;
            throw;
        }
    });
    return brand;
}

}  // namespace velo
