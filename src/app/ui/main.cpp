// Velo IGX: the splash, then the main window.
#include "app/ui/main_window.h"
#include "app/ui/splash.h"
#include "core/platform.h"
#include "core/port_settings.h"
#include "core/ui/qt_interaction.h"

#include <QApplication>
#include <QCommandLineParser>

int main(int argc, char** argv) {
    QCoreApplication::setApplicationName(velo::kAppTitle);
    QCoreApplication::setApplicationVersion("1.0");
    QCommandLineParser parser;
    parser.setApplicationDescription("Velo IGX: configure an IGX-1 ignition timing controller.");
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    QCommandLineOption noSplash("no-splash", "Open the main window without the splash form.");
    QCommandLineOption device(
        "device", "Reach the controller through PATH for this run, whatever Com entry is chosen.",
        "PATH");
    parser.addOptions({noSplash, device});
    // What only prints (the usage, the version, a wrong option's complaint) is answered
    // before the window system is reached, so it works without a display (over ssh, in a
    // package check).
    {
        QCoreApplication printing(argc, argv);
        if (!parser.parse(printing.arguments()) || parser.isSet(help) || parser.isSet(version) ||
            parser.isSet("help-all")) {
            velo::useStartingConsole();
            parser.process(printing);
        }
    }

    QApplication app(argc, argv);
    parser.process(app);

    const velo::AppFiles files = velo::AppFiles::ofProgram();
    velo::QtInteraction ui;
    velo::BrandInfo brand;
    if (parser.isSet(noSplash)) {
        brand = velo::loadBrandInfo(ui, files);
    } else {
        velo::SplashForm splash(ui, files);
        brand = splash.brand();
        splash.exec();
    }

    auto settings = velo::openUserSettings();
    ui.setSettings(settings.get());
    velo::MainWindow window(ui, *settings, brand, {files, parser.value(device)});
    ui.setParent(&window);
    window.Form_Load();
    window.show();
    return app.exec();
}
