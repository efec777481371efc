#include "core/ui/qt_interaction.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QStyle>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace velo;

class QtInteractionTest : public QObject {
    Q_OBJECT
  private slots:
    // Windows' own file dialog cannot be driven by keys sent here; Qt's is given the same
    // folder, filters and suffix.
    void initTestCase() { QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs); }

    void enterEscapeAndWidth_data() {
        QTest::addColumn<int>("buttons");
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("enter");
        QTest::addColumn<bool>("escapeCloses");
        QTest::newRow("error report: Enter aborts, Escape does nothing")
            << int(Buttons::AbortRetryIgnore) << "Error" << int(Answer::Abort) << false;
        QTest::newRow("short text, long title")
            << int(Buttons::Ok) << "Download From EEPROM" << int(Answer::Ok) << true;
        QTest::newRow("question: Escape cancels")
            << int(Buttons::OkCancel) << "Open Data File" << int(Answer::Ok) << true;
    }
    void enterEscapeAndWidth() {
        QFETCH(int, buttons);
        QFETCH(QString, title);
        QFETCH(int, enter);
        QFETCH(bool, escapeCloses);
        QtInteraction ui;
        int width = 0, enterButton = 0;
        bool openAfterEscape = false;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            width = box->width();
            for (QAbstractButton* b : box->buttons())
                if (static_cast<QPushButton*>(b)->isDefault()) enterButton = box->standardButton(b);
            if (!escapeCloses) {
                QTest::keyClick(box, Qt::Key_Escape);
                openAfterEscape = box->isVisible();
            }
            QTest::keyClick(box, Qt::Key_Return);
        });
        const Answer a = ui.message(title, "Firmware ID: X", Buttons(buttons), Icon::Exclamation);
        QCOMPARE(int(a), enter);
        QCOMPARE(enterButton,
                 int(enter == int(Answer::Abort) ? QMessageBox::Abort : QMessageBox::Ok));
        QCOMPARE(openAfterEscape, !escapeCloses);
        QFont bold = QApplication::font();
        bold.setBold(true);
        const int titleBar = QFontMetrics(bold).horizontalAdvance(title) +
                             3 * QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight);
        QVERIFY2(width >= titleBar, qPrintable(QString("%1 < %2").arg(width).arg(titleBar)));
    }

    // The input box too: "Optional Information Entry" was cut on a short prompt.
    void inputBoxShowsItsWholeTitle() {
        QtInteraction ui;
        int width = 0;
        QTimer::singleShot(0, [&] {
            QWidget* box = QApplication::activeModalWidget();
            width = box->width();
            QTest::keyClicks(box->focusWidget(), "S/N 42");
            QTest::keyClick(box->focusWidget(), Qt::Key_Return);
        });
        const QString title = "Optional Information Entry";
        QCOMPARE(ui.inputBox(title, "Serial number or comment?", ""), QString("S/N 42"));
        QVERIFY(width >= QtInteraction::minimumWidthFor(title));
    }

    // A dialog starts in the last data file's folder (at first Documents or home, never the
    // program's own); a name typed without an extension is given the filter's ".dat", and
    // a whole path typed into the folder already shown opens.
    void fileDialogsStartInTheLastFolder() {
        QTemporaryDir dir;
        QSettings settings(dir.filePath("user.ini"), QSettings::IniFormat);
        QtInteraction ui;
        ui.setSettings(&settings);
        QStringList started;
        for (bool save : {true, false}) {
            QTimer::singleShot(0, [&] {
                auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                started << d->directory().absolutePath();
                if (save) {
                    d->selectFile(dir.filePath("tune"));
                    static_cast<QDialog*>(d)->accept();  // as Save does
                    return;
                }
                auto* name = d->findChild<QLineEdit*>("fileNameEdit");
                name->setFocus();
                QTest::keyClicks(name, dir.filePath("tune.dat"));
                QTest::keyClick(name, Qt::Key_Return);
                if (d->isVisible()) d->reject();
            });
            const QString filter = "IGX-1 data files (*.dat)|*.dat";
            const auto path =
                save ? ui.saveFileName("Save File", filter) : ui.openFileName("Open File", filter);
            QCOMPARE(path, dir.filePath("tune.dat"));
            QFile(*path).open(QIODevice::WriteOnly);  // for Open, which takes only a file there is
        }
        QVERIFY(started[0] != QDir::currentPath() && started[1] == dir.path());
    }
};

QTEST_MAIN(QtInteractionTest)
#include "qt_interaction_test.moc"
