#include "core/numeric.h"

#include <QtTest>

using namespace velo;

class NumericTest : public QObject {
    Q_OBJECT
  private slots:
    // Each helper on text in, text out: "round" to even, "fixed" with the decimals after a
    // space, "leading" the number a text starts with.
    void helpers_data() {
        QTest::addColumn<QString>("helper");
        QTest::addColumn<QString>("in");
        QTest::addColumn<QString>("out");
        auto row = [](const char* tag, const char* helper, const QString& in, const char* out) {
            QTest::newRow(tag) << helper << in << out;
        };
        row("0.5 to even 0", "round", "0.5", "0");
        row("1.5 to even 2", "round", "1.5", "2");
        row("-2.5 to even -2", "round", "-2.5", "-2");
        row("just above half", "round", "2.5000001", "3");
        row("beyond the range saturates", "round", "8e300", "9223372036854775807");
        row("half away from zero, whole", "fixed", "2.5 0", "3");
        row("negative half away from zero", "fixed", "-2.5 0", "-3");
        // 0.15 is below a half in binary; as text it is a half and goes up.
        row("0.15 decided on its text", "fixed", "0.15 1", "0.2");
        row("carry into whole", "fixed", "9.96 1", "10.0");
        row("carry adds digit", "fixed", "99.5 0", "100");
        row("small negative is zero", "fixed", "-0.04 1", "0.0");
        row("seventy places", "fixed", "1e-70 1", "0.0");
        row("prefix then letters", "leading", "2.9abc", "2.9");
        row("letters only", "leading", "abc", "0");
        row("empty", "leading", "", "0");
        row("leading blanks", "leading", "   7", "7");
        row("leading point", "leading", ".5", "0.5");
        row("trailing point", "leading", "5.", "5");
        row("exponent", "leading", "1e3", "1000");
        row("dangling exponent", "leading", "3e", "3");
        row("blanks inside digits", "leading", "1 2", "12");
        row("beyond the range", "leading", "-1e400", "-1.7976931348623157e+308");
    }
    void helpers() {
        QFETCH(QString, helper);
        QFETCH(QString, in);
        QFETCH(QString, out);
        const QStringList args = in.split(' ');
        if (helper == "round")
            QCOMPARE(QString::number(roundHalfEven(in.toDouble())), out);
        else if (helper == "fixed")
            QCOMPARE(formatFixed(args[0].toDouble(), args[1].toInt()), out);
        else
            QCOMPARE(leadingNumber(in), out.toDouble());
    }
};

QTEST_APPLESS_MAIN(NumericTest)
#include "numeric_test.moc"
