// Any bytes as a data file: loaded, decoded, encoded again and reported.
#include "core/run_error.h"
#include "core/scripted_interaction.h"
#include "data/file_commands.h"
#include "report/report_model.h"

#include <QFile>
#include <QTemporaryDir>

using namespace velo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir dir;
    const QString path = dir.filePath("fuzz.dat");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(reinterpret_cast<const char*>(data), qint64(size)) != qint64(size))
        qFatal("cannot write %s", qPrintable(path));
    file.close();

    ConfigImage image;
    MainState state;
    ScriptedInteraction ui;
    AppContext ctx(image, state, ui);
    try {
        if (loadDataFile(ctx, path) != LoadResult::Loaded) return 0;
        ReportInput in;
        in.image = &image;
        in.mapLabels = image.mapSensorInUse();
        const ReportTables tables(in);
        reportText(buildReport(in, tables, QSizeF(16838, 11906)));
        image.UpdateEEPROM();
        // The first encoding may tidy the bytes (unused option bits); a second round of
        // decoding and encoding must leave them alone.
        ConfigImage again;
        again.setImageBytes(image.imageBytes());
        again.UpdateParams();
        again.UpdateEEPROM();
        if (again.imageBytes() != image.imageBytes()) qFatal("encoding is not stable");
    } catch (const RunError&) {
        // A value that does not fit its byte is reported to the user, not a fault.
    }
    return 0;
}
