#include "table/ui/compare_dialog.h"

#include "support/dialogs.h"

#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTableWidget>
#include <QtTest>

using namespace velo;
using test::child;

class CompareDialogTest : public QObject {
    Q_OBJECT
  private slots:
    void columnsFitWhatIsShown_data() {
        QTest::addColumn<bool>("preview");
        QTest::newRow("Compare With File") << false;
        QTest::newRow("an import's preview: differences first, OK and Cancel") << true;
    }
    // A cell 30.0 against 8.0: the bold "-22.0" is wider than either value.
    void columnsFitWhatIsShown() {
        QFETCH(bool, preview);
        CompareSides s;
        for (ConfigImage* im : {&s.a, &s.b}) {
            im->Table2DEnabled = true;
            for (int k = 1; k <= 21; ++k) im->Table2D(k, 1) = 30;
        }
        s.b.Table2D(2, 1) = 8;
        s.preview = preview;
        CompareDialog d(s, false);
        QCOMPARE(child<QRadioButton>(d, "optShowDifference")->isChecked(), preview);
        QCOMPARE(d.findChild<QPushButton*>("cmdCancel") != nullptr, preview);
        auto* g = child<QTableWidget>(d, "grdCompare2D");
        // The view's own margins around a cell's text.
        const int margins =
            2 * (g->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, g) + 1);
        for (const char* shown : {"optShowBuffer", "optShowFile", "optShowDifference"}) {
            child<QRadioButton>(d, shown)->click();
            for (int r = 0; r < g->rowCount(); ++r)
                for (int c = 0; c < g->columnCount(); ++c) {
                    const QTableWidgetItem* item = g->item(r, c);
                    QVERIFY2(QFontMetrics(item->font()).horizontalAdvance(item->text()) + margins <=
                                 g->columnWidth(c),
                             qPrintable(shown + (": " + item->text())));
                }
        }
    }
};

QTEST_MAIN(CompareDialogTest)
#include "compare_dialog_test.moc"
