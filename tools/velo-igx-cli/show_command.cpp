#include "cli.h"

#include "core/numeric.h"
#include "data/data_file.h"
#include "data/param_rows.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>

namespace velo::cli {

namespace {

constexpr const char* kMapRowNames[] = {"", "1", "2", "3", "4", "5", "6", "7", "8"};

// `unit` labels the 3D rows by pressure; null leaves the output as it always was.
QJsonObject toJson(const ConfigImage& im, const PressureUnit* unit) {
    QJsonObject o;
    o["TrigTiming"] = im.TrigTiming;
    o["CrankPulses"] = im.CrankPulses;
    o["OptionsByte"] = im.OptionsByte;
    o["Cyl4"] = im.Cyl4;
    o["Cyl6"] = im.Cyl6;
    o["TimingEnable"] = im.TimingEnable;
    o["Table2DEnabled"] = im.Table2DEnabled;
    o["Table3DEnabled"] = im.Table3DEnabled;
    o["RetardComp"] = im.RetardComp;
    o["StartRetard"] = im.StartRetard;
    o["MAPSensor"] = im.MAPSensor;
    o["GPI1Mode"] = im.GPI1Mode;
    o["GPI1Retard"] = im.GPI1Retard;
    o["GPI2Mode"] = im.GPI2Mode;
    o["GPI2Retard"] = im.GPI2Retard;
    o["GPIO3Mode"] = im.GPIO3Mode;
    o["GPIO3Retard"] = im.GPIO3Retard;
    o["GPIO3MinRPM"] = im.GPIO3MinRPM;
    o["GPIO3MaxRPM"] = im.GPIO3MaxRPM;
    QJsonArray t2;
    for (int k = 1; k <= ConfigImage::kRpmColumns; ++k) t2.append(im.Table2D(k, 1));
    o["Table2D"] = t2;
    // Every 3D row list runs as the grid does: the lowest pressure (MAP index 8) first.
    QJsonArray t3;
    for (int r = ConfigImage::kMapRows; r >= 1; --r) {
        QJsonArray row;
        for (int k = 1; k <= ConfigImage::kRpmColumns; ++k) row.append(im.Table3D(k, r));
        t3.append(row);
    }
    o["Table3D"] = t3;
    if (unit) {
        QJsonArray labels;
        for (int r = 1; r <= ConfigImage::kMapRows; ++r)
            labels.append(mapLabelIn(r, im.MAPSensor, *unit).toDouble());
        o["pressureUnit"] = unitName(*unit);
        o["mapLabels"] = labels;
    }
    return o;
}

void printText(const ConfigImage& im, const PressureUnit* unit) {
    for (const ParamRow& row : parameterRows(im))
        std::printf("%-32s%s\n", qPrintable(row.name), qPrintable(row.text));
    std::printf("%-32s0x%02X\n", "Options Byte", im.OptionsByte);
    std::printf("\n2D table (advance, deg)\n  RPM ");
    for (int k = 1; k <= ConfigImage::kRpmColumns; ++k) std::printf("%6d", (k - 1) * 500);
    std::printf("\n      ");
    for (int k = 1; k <= ConfigImage::kRpmColumns; ++k)
        std::printf("%6s", qPrintable(formatFixed(im.Table2D(k, 1), 1)));
    if (unit)
        std::printf("\n\n3D table (advance, deg; MAP in %s, the lowest pressure first)\n  MAP ",
                    qPrintable(unitName(*unit)));
    else
        std::printf("\n\n3D table (advance, deg; MAP index 8 is the lowest pressure)\n  RPM ");
    for (int k = 1; k <= ConfigImage::kRpmColumns; ++k) std::printf("%6d", (k - 1) * 500);
    std::printf("\n");
    for (int r = ConfigImage::kMapRows; r >= 1; --r) {
        if (unit)
            std::printf("%6s", qPrintable(mapLabelIn(gridRowOfMapIndex(r), im.MAPSensor, *unit)));
        else
            std::printf("  %s   ", kMapRowNames[r]);
        for (int k = 1; k <= ConfigImage::kRpmColumns; ++k)
            std::printf("%6s", qPrintable(formatFixed(im.Table3D(k, r), 1)));
        std::printf("\n");
    }
}

}  // namespace

int readImage(const QString& path, ConfigImage& image) {
    const DataFileRead file = readDataFile(path);
    if (file.status == DataFileRead::Unreadable) {
        std::fprintf(stderr, "Open Data File: %s\n", qPrintable(file.error));
        return kFileError;
    }
    if (file.status == DataFileRead::Short) {
        std::fputs("Open Data File: Error - reached premature end-of-file\n", stderr);
        return kFailed;
    }
    image.ClearEEPROMBuffer();
    image.loadImageBytes(file.bytes);
    return kOk;
}

bool takeUnits(const CommandLine& line, PressureUnit& unit) {
    if (!line.isSet("units") && line.missingValue() != "--units") return true;
    const auto parsed = parsePressureUnit(line.value("units"));
    if (!parsed) {
        std::fprintf(stderr, "velo-igx-cli: --units takes %s\n",
                     qPrintable(unitList(", ", " or ")));
        printUsage(stderr);
        return false;
    }
    unit = *parsed;
    return true;
}

int runShow(const CommandLine& line) {
    PressureUnit chosen = PressureUnit::InHg;
    if (!takeUnits(line, chosen)) return kUsage;
    const PressureUnit* unit = line.isSet("units") ? &chosen : nullptr;
    if (const QString a = line.stray(1); !a.isEmpty())
        return usage("show takes one FILE.dat, --json and --units, not " + a);
    if (line.files().isEmpty()) return usage("show needs FILE.dat");
    ConfigImage image;
    if (const int failed = readImage(line.files()[0], image)) return failed;
    if (line.isSet("json"))
        std::printf("%s\n",
                    QJsonDocument(toJson(image, unit)).toJson(QJsonDocument::Indented).constData());
    else
        printText(image, unit);
    return kOk;
}

}  // namespace velo::cli
