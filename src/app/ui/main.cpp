// Velo IGX: the splash, then the main window.
#include "app/ui/main_window.h"
#include "app/ui/splash.h"
#include "core/port_settings.h"
#include "core/ui/qt_interaction.h"

#include <QApplication>
#include <QCommandLineParser>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(velo::kAppTitle);
    QApplication::setApplicationVersion("1.0");

    QCommandLineParser parser;
    parser.setApplicationDescription("Velo IGX: configure an IGX-1 ignition timing controller.");
    parser.addHelpOption();
    parser.addVersionOption();
    QCommandLineOption noSplash("no-splash", "Open the main window without the splash form.");
    QCommandLineOption device(
        "device", "Reach the controller through PATH for this run, whatever Com entry is chosen.",
        "PATH");
    parser.addOptions({noSplash, device});
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
    velo::MainWindow window(ui, *settings, brand, {files, parser.value(device)});
    ui.setParent(&window);
    window.Form_Load();
    window.show();
    return app.exec();
}
