// Any bytes as the configuration file, and every entry the program reads from it.
#include "core/config_file.h"
#include "core/run_error.h"
#include "core/scripted_interaction.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace velo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir dir;
    QFile file(QDir(dir.path()).filePath(kConfigFileName));
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(reinterpret_cast<const char*>(data), qint64(size)) != qint64(size))
        qFatal("cannot write %s", qPrintable(file.fileName()));
    file.close();

    ScriptedInteraction ui;  // Abort: the splash goes on with what was read
    const BrandInfo brand = loadBrandInfo(ui, dir.path());
    // Each use fails alone when its entry is missing or unusable, as in the splash form.
    for (const auto& use : std::initializer_list<std::function<void()>>{
             [&] { brand.fontSize(); },
             [&] { brand.bold(), brand.italic(), brand.hasLogo(); },
             [&] { aboutText(brand); },
         }) {
        try {
            use();
        } catch (const RunError&) {
        }
    }
    return 0;
}
