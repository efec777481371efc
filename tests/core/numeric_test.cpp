#include "core/numeric.h"

#include <QtTest>

using namespace velo;

class NumericTest : public QObject {
    Q_OBJECT
  private slots:
    void roundHalfEven_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<long long>("expected");
        QTest::newRow("0.5 to even 0") << 0.5 << 0LL;
        QTest::newRow("1.5 to even 2") << 1.5 << 2LL;
        QTest::newRow("2.5 to even 2") << 2.5 << 2LL;
        QTest::newRow("-2.5 to even -2") << -2.5 << -2LL;
        QTest::newRow("just above half") << 2.5000001 << 3LL;
    }

    void roundHalfEven() {
        QFETCH(double, value);
        QFETCH(long long, expected);
        QCOMPARE(velo::roundHalfEven(value), expected);
    }

    void formatFixed_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QString>("expected");
        QTest::newRow("half away from zero, whole") << 2.5 << 0 << "3";
        QTest::newRow("negative half away from zero") << -2.5 << 0 << "-3";
        QTest::newRow("2.25 as text rounds up") << 2.25 << 1 << "2.3";
        // 0.15 is below a half in binary; as text it is a half and goes up.
        QTest::newRow("0.15 decided on its text") << 0.15 << 1 << "0.2";
        QTest::newRow("carry into whole") << 9.96 << 1 << "10.0";
        QTest::newRow("carry adds digit") << 99.5 << 0 << "100";
        QTest::newRow("small negative is zero") << -0.04 << 1 << "0.0";
        QTest::newRow("advance of 30 counts") << 30 - 0.0879 * 30 << 1 << "27.4";
        QTest::newRow("seventy places") << 1e-70 << 1 << "0.0";
    }

    void formatFixed() {
        QFETCH(double, value);
        QFETCH(int, decimals);
        QFETCH(QString, expected);
        QCOMPARE(velo::formatFixed(value, decimals), expected);
    }

    void leadingNumber_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected");
        QTest::newRow("prefix then letters") << "2.9abc" << 2.9;
        QTest::newRow("letters only") << "abc" << 0.0;
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("leading blanks") << "   7" << 7.0;
        QTest::newRow("sign only") << "-" << 0.0;
        QTest::newRow("point only") << "." << 0.0;
        QTest::newRow("leading point") << ".5" << 0.5;
        QTest::newRow("exponent") << "1e3" << 1000.0;
        QTest::newRow("dangling exponent") << "3e" << 3.0;
        QTest::newRow("blanks inside digits") << "1 2" << 12.0;
        QTest::newRow("beyond the range") << "-1e400" << -std::numeric_limits<double>::max();
    }

    void leadingNumber() {
        QFETCH(QString, text);
        QFETCH(double, expected);
        QCOMPARE(velo::leadingNumber(text), expected);
    }
};

QTEST_APPLESS_MAIN(NumericTest)
#include "numeric_test.moc"
