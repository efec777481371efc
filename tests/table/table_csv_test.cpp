#include "table/table_csv.h"

#include "data/config_image.h"
#include "table/pressure_units.h"
#include "table/table_session.h"

#include <QtTest>

using namespace velo;

class TableCsvTest : public QObject {
    Q_OBJECT
  private slots:
    // An image whose cells lie off the 0.1 grid, as every downloaded table does.
    void oneChangedCellMovesNoOther() {
        ConfigImage image;
        image.TrigTiming = 38;
        for (int k = 1; k <= 21; ++k)
            for (int m = 1; m <= 8; ++m) image.Table3D(k, m) = 38 - 0.0879 * (k * 7 + m);
        TableSession t(TableKind::Table3D, image);
        t.acceptEdit(2, 2, "20.25");  // typed: the grid shows "20.25", the file "20.3"
        const QString csv =
            tableToCsv(t, [&](int r) { return mapLabelIn(r, 0, PressureUnit::KPa); });
        QVERIFY(csv.startsWith("MAP/RPM,0,500,"));
        QVERIFY(csv.contains("\n54,"));
        const TableSession::Cells before = t.cells();
        QVERIFY(!importCsv(t, csv));
        QVERIFY(t.cells() == before);
        QStringList lines = csv.split('\n');
        lines[1] = lines[1].section(',', 0, 20) + ",30.05";
        QVERIFY(!importCsv(t, lines.join('\n')));
        for (int r = 1; r <= 8; ++r)
            for (int c = 1; c <= 21; ++c)
                if (r != 1 || c != 21) QCOMPARE(t.value(r, c), before.values[(r - 1) * 21 + c - 1]);
        QCOMPARE(t.text(1, 21), QString("30.05"));
        t.undo();  // the import is one step
        QVERIFY(t.cells() == before);
    }

    void unitLabels_data() {
        QTest::addColumn<int>("sensor");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("unit");
        QTest::addColumn<QString>("label");
        QTest::newRow("1 bar, lowest, inHg") << 0 << 1 << QString("INHG") << "16";
        QTest::newRow("2 bar, highest, psi") << 1 << 8 << QString("psi") << "29.5";
        QTest::newRow("3 bar, highest, bar") << 2 << 8 << QString("Bar") << "3.05";
    }
    void unitLabels() {
        QFETCH(int, sensor);
        QFETCH(int, row);
        QFETCH(QString, unit);
        QFETCH(QString, label);
        const auto u = parsePressureUnit(unit);
        QVERIFY(u);
        QCOMPARE(mapLabelIn(row, sensor, *u), label);
        QVERIFY(!parsePressureUnit("mmHg"));
    }
};

QTEST_GUILESS_MAIN(TableCsvTest)
#include "table_csv_test.moc"
