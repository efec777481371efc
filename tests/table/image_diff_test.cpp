#include "table/image_diff.h"
#include "data/config_image.h"

#include <QtTest>

using namespace velo;

namespace {

// An image decoded from "offset=byte" pairs, every other byte 0.
ConfigImage decoded(const QString& bytes) {
    ConfigImage im;
    for (const QString& pair : bytes.split(' ', Qt::SkipEmptyParts)) {
        const QStringList p = pair.split('=');
        im.DataBuffer[p[0].toInt()] = uint8_t(p[1].toInt(nullptr, 0));
    }
    im.UpdateParams();
    return im;
}

// The differences as lines: parameters, then per table its cell count and first cell.
QStringList lines(const ImageDiff& d) {
    QStringList out;
    for (const auto& p : d.parameters) out << p.name + ": " + p.a + " | " + p.b;
    for (const TableKind t : d.tables) {
        QStringList cells;
        for (const auto& c : d.cells)
            if (c.table == t) {
                const auto [a, b] = cellTexts(c.a, c.b);
                cells << QString("%1 %2: %3 | %4")
                             .arg(d.rowText(t, c.row), TableSession::rpmLabel(c.col), a, b);
            }
        out << QString("%1D %2 cells").arg(t == TableKind::Table2D ? 2 : 3).arg(cells.size()) +
                   (cells.isEmpty() ? "" : ", " + cells[0]);
    }
    if (d.otherBytes) out << QString("%1 other").arg(d.otherBytes);
    return out;
}

}  // namespace

class ImageDiffTest : public QObject {
    Q_OBJECT
  private slots:
    void differences_data() {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<QStringList>("expected");
        auto row = [](const char* name, const QString& a, const QString& b,
                      const QStringList& expected) { QTest::newRow(name) << a << b << expected; };
        const QString t2 = "48=30 50=0x08 ", t3 = "48=30 50=0x10 ";
        row("equal", t3 + "130=9", t3 + "130=9", {"3D 0 cells"});
        row("a retard", "65=23", "65=46", {"GPI1 Retard: 2 deg (23 counts) | 4 deg (46 counts)"});
        row("a trigger timing moves every cell", t2, "48=31 50=0x08",
            {"Trig Timing: 30 deg | 31 deg", "2D 21 cells, ADV 0: 30.0 | 31.0"});
        row("a 3D cell on the lowest MAP row, labelled for each sensor", t3 + "53=1 116=5", t3,
            {"MAP Sensor: 2 bar | 1 bar", "3D 1 cells, 18/16 2000: 29.6 | 30.0"});
        row("tables in use differ: both compared", t2 + "16=11", t3 + "112=11",
            {"Timing Table: 2D Timing Table | 3D Timing Table", "2D 1 cells, ADV 0: 29.0 | 30.0",
             "3D 1 cells, 16 0: 30.0 | 29.0"});
        row("same at one decimal", t2 + "48=30", "48=31 50=0x08 16=11",
            {"Trig Timing: 30 deg | 31 deg", "2D 21 cells, ADV 0: 30.00 | 30.03"});
        row("what the dialogs hide shows as stored, the tops of the ranges as they are",
            "48=55 53=7 64=0x52 80=7", "48=40 53=2 64=2",
            {"MAP Sensor: 1 bar (stored value 7) | 3 bar",
             "Trig Timing: 40 deg (stored value 55) | 40 deg",
             "General Purpose Input 1: Digital Retard (mode byte 0x52) | Digital Retard",
             "General Purpose Input/Output 3: Off (mode byte 0x07) | Off"});
        row("unused byte, high option bits, table not in use", "40=1 50=0x20 120=3", "",
            {"3 other"});
    }
    void differences() {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(QStringList, expected);
        const ImageDiff d = compareImages(decoded(a), decoded(b));
        QCOMPARE(lines(d), expected);
        QCOMPARE(d.equal(), a == b);
    }
};

QTEST_APPLESS_MAIN(ImageDiffTest)
#include "image_diff_test.moc"
