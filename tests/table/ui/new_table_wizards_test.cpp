#include "table/ui/new_table_wizards.h"

#include "support/dialogs.h"
#include "support/model_rig.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QtTest>

using namespace velo;
using test::child;

namespace {

struct Rig : test::ModelRig {
    TableEditor editor{ctx};
};

// The object names in Tab order from `first`, `count` stops.
QStringList tabOrder(QWidget* first, int count) {
    QStringList out;
    QWidget* w = first;
    for (int i = 0; i < count; ++i, w = w->nextInFocusChain()) {
        while (!(w->focusPolicy() & Qt::TabFocus)) w = w->nextInFocusChain();
        out << w->objectName();
    }
    return out;
}

}  // namespace

class NewTableWizardDialogsTest : public QObject {
    Q_OBJECT
  private slots:
    void wizard2DBoxesButtonsAndTable() {
        Rig r;
        frmNew2DTable d(r.editor);
        d.show();
        QVERIFY(QTest::qWaitForWindowActive(&d));
        QCOMPARE(d.windowTitle(), QString("Velo IGX - New 2D Timing Table"));
        auto* trig = child<QLineEdit>(d, "txtTrigTimingVal");
        QCOMPARE(tabOrder(trig, 7),
                 (QStringList{"txtTrigTimingVal", "txtStartRPMVal", "txtFinalRPMVal",
                              "txtStartTimingVal", "txtFinalTimingVal", "cmdUpdate", "cmdOK"}));
        // Tab out of a box corrects it.
        auto* start = child<QLineEdit>(d, "txtStartRPMVal");
        start->setFocus();
        start->selectAll();
        QTest::keyClicks(start, "1750");
        QTest::keyClick(start, Qt::Key_Tab);
        QCOMPARE(start->text(), QString("2000"));
        // A click on Update from an edited box: checked first, then the table made.
        trig->setFocus();
        trig->selectAll();
        QTest::keyClicks(trig, "45");
        // A real message box takes the focus, and with it the pressed state of the button.
        r.ui.onShow = [](const auto&) { QApplication::focusWidget()->clearFocus(); };
        QTest::mouseClick(child<QPushButton>(d, "cmdUpdate"), Qt::LeftButton);
        QCOMPARE(r.ui.texts(), QStringList{"Value must be less than or equal to 40"});
        QCOMPARE(trig->text(), QString("40"));
        QVERIFY(r.editor.session());
        child<QPushButton>(d, "cmdOK")->click();
        QCOMPARE(d.result(), int(QDialog::Accepted));
    }

    void wizard3DSlidersAndTable() {
        Rig r;
        r.image.Table3DEnabled = true;
        frmNew3DTable d(r.editor);
        d.show();
        QCOMPARE(d.windowTitle(), QString("Velo IGX - New 3D Timing Table"));
        auto* trig = child<QSlider>(d, "sldTrigTiming");
        auto* base = child<QSlider>(d, "sldBaseTmg");
        QCOMPARE(tabOrder(trig, 4),
                 (QStringList{"sldTrigTiming", "sldBaseTmg", "cmdUpdate", "cmdOK"}));
        QCOMPARE(base->value(), 20);
        trig->setValue(12);  // the base follows down
        QCOMPARE(base->value(), 12);
        QCOMPARE(child<QLabel>(d, "lblBaseTmgVal")->text(), QString("12"));
        child<QPushButton>(d, "cmdOK")->click();
        QCOMPARE(r.editor.session()->text(8, 21), QString("12.0"));
        QVERIFY(!d.isVisible());
    }
};

QTEST_MAIN(NewTableWizardDialogsTest)
#include "new_table_wizards_test.moc"
