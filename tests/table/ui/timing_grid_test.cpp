#include "table/ui/timing_grid.h"

#include "data/config_image.h"
#include "table/cell_edit_gate.h"

#include <QLineEdit>
#include <QtTest>

using namespace velo;

namespace {

using Sel = TimingGrid::Selection;

// A 3D-shaped grid on an open 3D table, laid out so every cell is on the screen.
struct Rig {
    ConfigImage image;
    TableSession session{TableKind::Table3D, image};
    TimingGrid grid;
    QStringList validated;
    QList<QPair<int, int>> edited;
    QSet<QString> refuse;
    Rig() {
        grid.setShape(9, 22);
        grid.setSession(&session);
        grid.setValidator([this](int, int, const QString& text) {
            validated << text;
            return !refuse.contains(text);
        });
        QObject::connect(&grid, &TimingGrid::afterEdit,
                         [this](int r, int c) { edited << qMakePair(r, c); });
        grid.resize(1200, 300);
        grid.setColWidthTwips(50 * 15);
        grid.setRowHeightTwips(25 * 15);
        grid.show();
        grid.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&grid));
    }
    QPoint at(int r, int c) const { return grid.visualRect(grid.model()->index(r, c)).center(); }
    QWidget* view() { return grid.viewport(); }
    QLineEdit* editor() { return grid.viewport()->findChild<QLineEdit*>("cellEditor"); }
    // Enter commits on a queued call, a refusal hands the focus back on another.
    void enter() {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }
};

}  // namespace

class TimingGridTest : public QObject {
    Q_OBJECT
  private slots:
    void headersCanNeverBeSelectedOrEdited() {
        Rig r;
        r.grid.setCurrentCell(3, 4);
        for (QPoint header : {r.at(0, 5), r.at(2, 0)}) {
            QTest::mouseClick(r.view(), Qt::LeftButton, {}, header);
            QTest::mouseDClick(r.view(), Qt::LeftButton, {}, header);
        }
        QCOMPARE(r.grid.row(), 3);
        QVERIFY(!r.grid.editing());
        r.grid.selectAll();
        QCOMPARE(r.grid.selection(), (Sel{1, 1, 8, 21}));
        r.grid.setCurrentCell(0, 0);
        QCOMPARE(r.grid.row() + r.grid.col(), 0);
        QVERIFY(r.grid.selectionModel()->selectedIndexes().isEmpty());
        // Keys cannot walk onto a header either.
        r.grid.setCurrentCell(1, 1);
        QTest::keyClick(&r.grid, Qt::Key_Up);
        QTest::keyClick(&r.grid, Qt::Key_Left);
        QCOMPARE(r.grid.row() * 100 + r.grid.col(), 101);
    }

    void clipTextFillsFromTheTopLeftInsideTheGrid_data() {
        QTest::addColumn<QPoint>("topLeft");  // (column, row)
        QTest::addColumn<QString>("text");
        QTest::addColumn<Sel>("readBack");
        QTest::addColumn<QString>("expected");
        QTest::newRow("block") << QPoint(2, 3) << "1\t2\r3\t4" << Sel{3, 2, 4, 3} << "1\t2\r3\t4";
        QTest::newRow("past the right and bottom edges")
            << QPoint(20, 7) << "1\t2\t3\r4\t5\t6\r7\t8\t9" << Sel{7, 20, 8, 21} << "1\t2\r4\t5";
        QTest::newRow("short text leaves the rest, a closing break adds no row")
            << QPoint(1, 1) << "9\r" << Sel{1, 1, 2, 2} << "9\t10.9\r0.0\t0.0";
    }
    void clipTextFillsFromTheTopLeftInsideTheGrid() {
        QFETCH(QPoint, topLeft);
        QFETCH(QString, text);
        QFETCH(Sel, readBack);
        QFETCH(QString, expected);
        Rig r;
        for (int c = 1; c <= 21; ++c) r.session.setText(1, c, "10.9");
        r.grid.setCurrentCell(topLeft.y(), topLeft.x());
        r.grid.setClip(text);
        QCOMPARE(r.grid.clip(readBack), expected);
    }

    // One block, from the current cell. Ctrl+click stretches it as Shift+click does: every
    // cell a command works on is one the grid shows selected.
    void selectionIsOneBlockFromTheCurrentCell() {
        Rig r;
        r.grid.setCurrentCell(5, 6);
        r.grid.extendSelection(3, 2);
        QCOMPARE(r.grid.selection(), (Sel{3, 2, 5, 6}));
        r.grid.extendSelection(40, 0);  // clipped to the data cells
        QCOMPARE(r.grid.selection(), (Sel{5, 1, 8, 6}));
        QTest::mouseClick(r.view(), Qt::LeftButton, {}, r.at(2, 2));
        QTest::mouseClick(r.view(), Qt::LeftButton, Qt::ControlModifier, r.at(2, 10));
        QCOMPARE(r.grid.selection(), (Sel{2, 2, 2, 10}));
        QCOMPARE(r.grid.selectionModel()->selectedIndexes().size(), 9);
    }

    // A refused text keeps the editor open with the text selected; the cell keeps its
    // old text until a text is taken.
    void refusedEditStaysOpenForCorrection() {
        Rig r;
        r.refuse = {"45"};
        const QString before = r.grid.text(2, 5);
        QTest::mouseClick(r.view(), Qt::LeftButton, {}, r.at(2, 5));
        QTest::mouseDClick(r.view(), Qt::LeftButton, {}, r.at(2, 5));
        QVERIFY(r.editor());
        r.editor()->selectAll();
        QTest::keyClicks(r.editor(), "45");
        r.enter();
        QVERIFY(r.grid.editing());
        QCOMPARE(r.editor()->selectedText(), QString("45"));
        QCOMPARE(r.grid.text(2, 5), before);
        // A click on another cell asks once and comes back to the cell being edited.
        QTest::mouseClick(r.view(), Qt::LeftButton, {}, r.at(6, 9));
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        QCOMPARE(r.grid.row() * 100 + r.grid.col(), 205);
        QVERIFY(r.editor()->hasFocus());
        QCOMPARE(r.editor()->selectedText(), QString("45"));
        QVERIFY(r.edited.isEmpty());
        QTest::keyClicks(r.editor(), "25");  // replaces the selection
        r.enter();
        QVERIFY(!r.grid.editing());
        QCOMPARE(r.validated, (QStringList{"45", "45", "25"}));  // the click asked once
        QCOMPARE(r.grid.text(2, 5), QString("25"));
        QCOMPARE(r.session.value(2, 5), 25.0);
        QCOMPARE(r.edited, (QList<QPair<int, int>>{{2, 5}}));
        QVERIFY(r.grid.model()->index(2, 5).data(Qt::FontRole).value<QFont>().bold());
    }

    void typingANumberOpensTheEditor_data() {
        QTest::addColumn<char>("key");
        QTest::addColumn<bool>("opens");
        QTest::newRow("digit") << '7' << true;
        QTest::newRow("minus") << '-' << true;
        QTest::newRow("point") << '.' << true;
        QTest::newRow("letter") << 'a' << false;
    }
    void typingANumberOpensTheEditor() {
        QFETCH(char, key);
        QFETCH(bool, opens);
        Rig r;
        r.grid.setCurrentCell(4, 4);
        r.grid.setFocus();
        QTest::keyClick(&r.grid, key);
        QCOMPARE(r.grid.editing(), opens);
        if (opens) QCOMPARE(r.editor()->text(), QString(QChar(key)));
        // No data cell current: nothing to type into.
        r.grid.setCurrentCell(0, 0);
        if (opens) QTest::keyClick(r.editor(), Qt::Key_Escape);
        QTest::keyClick(&r.grid, '5');
        QVERIFY(!r.grid.editing());
    }

    void sizesAtOrBelowZeroAreTaken() {
        Rig r;
        r.grid.moveTwips(0, 0, -300, 0);
        r.grid.setRowHeightTwips(-10);
        r.grid.setColWidthTwips(-1);
        QCOMPARE(r.grid.width(), 0);
        QCOMPARE(r.grid.clientHeightTwips(), 0);
        QCOMPARE(r.grid.rowHeight(3), 0);
        r.grid.moveTwips(150, 300, 15000, 3000);
        QCOMPARE(r.grid.geometry(), QRect(10, 20, 1000, 200));
    }

    // Events: "A+" a commit of text A that the check accepts, "A-" one it refuses, a
    // trailing "m" a commit arriving while the check's message is up, "x" a close request,
    // "s" the refusal's moment is over. Outcomes: c checked, d dropped, x closed, k kept.
    void onlyTheUsersCommitsAndClosesCount_data() {
        QTest::addColumn<QString>("events");
        QTest::addColumn<QString>("outcomes");
        QTest::newRow("refused keeps the editor once") << QString("A- x x") << "c k x";
        QTest::newRow("a click's second commit") << QString("A- x A- x") << "c k d k";
        QTest::newRow("the same text after the moment") << QString("A- x s A- x") << "c k c k";
        QTest::newRow("a corrected text") << QString("A- x B+ x") << "c k c x";
        QTest::newRow("accepted while the message took focus") << QString("A+m x x") << "c k x";
    }
    void onlyTheUsersCommitsAndClosesCount() {
        QFETCH(QString, events);
        QFETCH(QString, outcomes);
        CellEditGate gate;
        QObject editor;
        QStringList seen;
        for (const QString& e : events.split(' ')) {
            if (e == "x") {
                seen << (gate.mayClose() ? "x" : "k");
            } else if (e == "s") {
                gate.settle();
            } else if (!gate.admit(&editor, e.left(1))) {
                seen << "d";
            } else {
                seen << "c";
                gate.beginCheck();
                if (e.endsWith('m')) QVERIFY(!gate.admit(&editor, e.left(1)));
                gate.endCheck(e[1] == '+', &editor, e.left(1));
            }
        }
        QCOMPARE(seen.join(' '), outcomes);
    }
};

QTEST_MAIN(TimingGridTest)
#include "timing_grid_test.moc"
