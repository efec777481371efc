#include "table/table_check.h"

#include "support/model_rig.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

using namespace velo;

// A flat table at `base` degrees (trigger timing 30 unless given) with "row,col=value"
// cells changed; the result as "kind@row,col" for findings and notes alike.
class TableCheckTest : public QObject {
    Q_OBJECT
  private slots:
    void findsWhatStrays_data() {
        QTest::addColumn<bool>("is3D");
        QTest::addColumn<QString>("cells");
        QTest::addColumn<QString>("found");
        // clang-format off
        QTest::newRow("2D spike")                 << false << "1,10=24.1" << "spike@1,10";
        QTest::newRow("2D exactly 4 is no spike") << false << "1,10=24"   << "";
        QTest::newRow("2D end: one neighbour")    << false << "1,1=15.9"  << "spike@1,1";
        QTest::newRow("2D at trigger is a note")  << false << "t22;1,2=22" << "at-trigger@1,2";
        QTest::newRow("2D floor is 0")            << false << "t22;b2;1,21=0" << "at-lower-limit@1,21";
        QTest::newRow("3D spike and rise")        << true  << "4,5=24.1"  << "spike@4,5 load-rise@4,5";
        QTest::newRow("3D mean of four")          << true  << "4,5=24.1;3,5=22;5,5=22" << "load-rise@4,5";
        QTest::newRow("3D rise of exactly 2")     << true  << "4,5=22"    << "";
        QTest::newRow("3D fall with load")        << true  << "1,5=23"    << "";
        QTest::newRow("3D corner")                << true  << "8,21=25"   << "spike@8,21 load-rise@8,21";
        QTest::newRow("3D lower limit")           << true  << "b10;2,3=8" << "at-lower-limit@2,3";
        // clang-format on
    }
    void findsWhatStrays() {
        QFETCH(bool, is3D);
        QFETCH(QString, cells);
        QFETCH(QString, found);
        int trig = 30;
        double base = 20;
        QHash<int, double> v;
        for (const QString& c : cells.split(';')) {
            const QStringList p = c.split(QRegularExpression("[,=]"));
            if (c[0] == 't') trig = c.mid(1).toInt();
            if (c[0] == 'b') base = c.mid(1).toDouble();
            if (p.size() == 3) v[p[0].toInt() * 100 + p[1].toInt()] = p[2].toDouble();
        }
        const CheckedTable t{is3D ? TableKind::Table3D : TableKind::Table2D, trig, 1,
                             [&](int r, int c) { return v.value(r * 100 + c, base); }};
        QStringList got;
        for (const TableFinding& f : checkTable(t, {}))
            got << QString("%1@%2,%3").arg(f.kindName()).arg(f.row).arg(f.col);
        QCOMPARE(got.join(' '), found);
    }

    void askBeforeUpload() {
        // One 2D dip in the buffer: the question comes, No stops the upload, and the
        // settings can widen the rule or turn the question off.
        test::ModelRig r;
        r.image.DataBuffer[ConfigImage::kTrigTiming] = 30;
        r.image.DataBuffer[ConfigImage::kOptions] = 0x0C;   // 2D table in use
        r.image.DataBuffer[ConfigImage::offset2D(5)] = 60;  // 5.3 degrees below the rest
        r.image.UpdateParams();
        r.image.BufferEmpty = false;
        QTemporaryDir dir;
        QSettings s(dir.filePath("s.ini"), QSettings::IniFormat);
        r.ui.answer(Answer::No);
        QVERIFY(!uploadDespiteFindings(r.ctx, s));
        QCOMPARE(r.ui.texts(), QStringList{"The timing table has 1 findings (spikes or advance "
                                           "rising with load). Upload anyway?"});
        QCOMPARE(r.ui.shown()[0].buttons, Buttons::YesNoDefaultNo);
        s.setValue("TableCheck/SpikeDegrees", 20);
        QVERIFY(uploadDespiteFindings(r.ctx, s));
        s.setValue("TableCheck/SpikeDegrees", 4);
        s.setValue("TableCheck/AskBeforeUpload", false);
        QVERIFY(uploadDespiteFindings(r.ctx, s));
        QCOMPARE(r.ui.shown().size(), 1);
    }
};

QTEST_GUILESS_MAIN(TableCheckTest)
#include "table_check_test.moc"
