#include "array/element_value.h"

#include <QTest>

using namespace plimvar;

namespace {

// What a reading gives, as one comparable text: the value, or the failure.
template <typename Reading> QString outcomeOf(Reading &&reading)
{
    try {
        return QString::number(reading());
    } catch (const Failure &failure) {
        return QString::fromLatin1(failure.what());
    }
}

const QString overflow = QStringLiteral("Overflow");
const QString mismatch = QStringLiteral("Type mismatch");

} // namespace

class TestElementValue : public QObject
{
    Q_OBJECT

private slots:
    void readNumber_data();
    void readNumber();
    void readCount_data();
    void readCount();
    void elementText_data();
    void elementText();
    void everyValueSurvivesTheRoundTrip();
    void countUp_data();
    void countUp();
    void testedArithmetic_data();
    void testedArithmetic();
};

void TestElementValue::readNumber_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("separator");
    QTest::addColumn<QString>("outcome");

    const QByteArray point(".");
    QTest::newRow("7") << QByteArray("7") << point << "7";
    QTest::newRow("blanks around 12") << QByteArray("  12 \t") << point << "12";
    QTest::newRow("007") << QByteArray("007") << point << "7";
    QTest::newRow("+5") << QByteArray("+5") << point << "5";
    QTest::newRow("-0") << QByteArray("-0") << point << "0";
    QTest::newRow("32767") << QByteArray("32767") << point << "32767";
    QTest::newRow("-32768") << QByteArray("-32768") << point << "-32768";
    QTest::newRow("32768") << QByteArray("32768") << point << overflow;
    QTest::newRow("-32769") << QByteArray("-32769") << point << overflow;
    QTest::newRow("300 nines") << QByteArray(300, '9') << point << overflow;
    QTest::newRow("300 zeros then 1") << QByteArray(300, '0') + '1' << point << "1";

    QTest::newRow("1.5") << QByteArray("1.5") << point << "2";
    QTest::newRow("2.5") << QByteArray("2.5") << point << "2";
    QTest::newRow("3.5") << QByteArray("3.5") << point << "4";
    QTest::newRow("-0.5") << QByteArray("-0.5") << point << "0";
    QTest::newRow("-1.5") << QByteArray("-1.5") << point << "-2";
    QTest::newRow("-2.5") << QByteArray("-2.5") << point << "-2";
    QTest::newRow("2.5000000000000000001") << QByteArray("2.5000000000000000001") << point << "3";
    QTest::newRow("2.4999999999999999999") << QByteArray("2.4999999999999999999") << point << "2";
    QTest::newRow("0.6") << QByteArray("0.6") << point << "1";
    QTest::newRow(".5") << QByteArray(".5") << point << "0";
    QTest::newRow("5.") << QByteArray("5.") << point << "5";
    QTest::newRow("32767.4") << QByteArray("32767.4") << point << "32767";
    QTest::newRow("32767.5") << QByteArray("32767.5") << point << overflow;
    QTest::newRow("-32768.5") << QByteArray("-32768.5") << point << "-32768";
    QTest::newRow("-32768.51") << QByteArray("-32768.51") << point << overflow;

    QTest::newRow("empty") << QByteArray() << point << mismatch;
    QTest::newRow("blanks only") << QByteArray("   ") << point << mismatch;
    QTest::newRow("abc") << QByteArray("abc") << point << mismatch;
    QTest::newRow("4x") << QByteArray("4x") << point << mismatch;
    QTest::newRow("sign alone") << QByteArray("-") << point << mismatch;
    QTest::newRow("point alone") << QByteArray(".") << point << mismatch;
    QTest::newRow("two points") << QByteArray("1.2.3") << point << mismatch;
    QTest::newRow("blank inside") << QByteArray("1 2") << point << mismatch;
    QTest::newRow("blank after sign") << QByteArray("- 5") << point << mismatch;
    QTest::newRow("two signs") << QByteArray("--5") << point << mismatch;
    QTest::newRow("grouping 1,000") << QByteArray("1,000") << point << mismatch;
    QTest::newRow("currency $5") << QByteArray("$5") << point << mismatch;
    QTest::newRow("radix 0x10") << QByteArray("0x10") << point << mismatch;
    QTest::newRow("radix &H10") << QByteArray("&H10") << point << mismatch;
    QTest::newRow("exponent 1e3") << QByteArray("1e3") << point << mismatch;
    QTest::newRow("line break after") << QByteArray("5\n") << point << mismatch;
    QTest::newRow("NUL after") << QByteArray("5\0", 2) << point << mismatch;
    QTest::newRow("invalid UTF-8") << QByteArray("5\xff") << point << mismatch;

    const QByteArray comma(",");
    QTest::newRow("2,5 with comma") << QByteArray("2,5") << comma << "2";
    QTest::newRow("3,5 with comma") << QByteArray("3,5") << comma << "4";
    QTest::newRow("2.5 with comma") << QByteArray("2.5") << comma << mismatch;
    const QByteArray arabic("\xd9\xab"); // U+066B ARABIC DECIMAL SEPARATOR
    QTest::newRow("2<U+066B>5 with arabic separator") << QByteArray("2\xd9\xab"
                                                                    "5")
                                                      << arabic << "2";
    QTest::newRow("half a separator") << QByteArray("2\xd9"
                                                    "5")
                                      << arabic << mismatch;
}

void TestElementValue::readNumber()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, separator);
    QFETCH(QString, outcome);

    QCOMPARE(
        outcomeOf([&] { return plimvar::readNumber(text.toStdString(), separator.toStdString()); }),
        outcome);
}

void TestElementValue::readCount_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("outcome");

    QTest::newRow("empty") << QByteArray() << "0";
    QTest::newRow("3") << QByteArray("3") << "3";
    QTest::newRow("12abc") << QByteArray("12abc") << "12";
    QTest::newRow("abc") << QByteArray("abc") << "0";
    QTest::newRow("2.5") << QByteArray("2.5") << "2";
    QTest::newRow("3.5") << QByteArray("3.5") << "4";
    QTest::newRow("-0.5") << QByteArray("-0.5") << "0";
    QTest::newRow("2.5000000000000000001") << QByteArray("2.5000000000000000001") << "3";
    QTest::newRow("1.5.5") << QByteArray("1.5.5") << "2";
    QTest::newRow("1,5") << QByteArray("1,5") << "1";
    QTest::newRow("blanks everywhere") << QByteArray(" \t1 2\n3 ") << "123";
    QTest::newRow("- 3") << QByteArray("- 3") << "-3";
    QTest::newRow("+7") << QByteArray("+7") << "7";
    QTest::newRow("sign alone") << QByteArray("-") << "0";
    QTest::newRow("point alone") << QByteArray(".") << "0";
    QTest::newRow("1e3") << QByteArray("1e3") << "1";
    QTest::newRow("-32768") << QByteArray("-32768") << "-32768";
    QTest::newRow("-32768.5") << QByteArray("-32768.5") << "-32768";
    QTest::newRow("32767.5") << QByteArray("32767.5") << overflow;
    QTest::newRow("32768") << QByteArray("32768") << overflow;
    QTest::newRow("-99999") << QByteArray("-99999") << overflow;
    QTest::newRow("a megabyte of digits") << QByteArray(1 << 20, '7') << overflow;
    QTest::newRow("a megabyte of zeros then 5") << QByteArray(1 << 20, '0') + '5' << "5";
    QTest::newRow("control characters") << QByteArray("\x01\x02"
                                                      "9")
                                        << "0";
    QTest::newRow("invalid UTF-8 after 9") << QByteArray("9\xff\xfe") << "9";
    QTest::newRow("NUL inside") << QByteArray("4\0"
                                              "2",
                                              3)
                                << "4";
}

void TestElementValue::readCount()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, outcome);

    QCOMPARE(outcomeOf([&] { return plimvar::readCount(text.toStdString()); }), outcome);
}

void TestElementValue::elementText_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("text");

    QTest::newRow("0") << 0 << "0";
    QTest::newRow("7") << 7 << "7";
    QTest::newRow("-15") << -15 << "-15";
    QTest::newRow("10000") << 10000 << "10000";
    QTest::newRow("32767") << 32767 << "32767";
    QTest::newRow("-32768") << -32768 << "-32768";
}

void TestElementValue::elementText()
{
    QFETCH(int, value);
    QFETCH(QString, text);

    QCOMPARE(QString::fromStdString(plimvar::elementText(static_cast<ElementValue>(value))), text);
}

void TestElementValue::everyValueSurvivesTheRoundTrip()
{
    for (int v = kElementMin; v <= kElementMax; ++v) {
        const auto value = static_cast<ElementValue>(v);
        const std::string text = plimvar::elementText(value);
        if (plimvar::readNumber(text, ",") != value || plimvar::readCount(text) != value)
            QFAIL(qPrintable(QStringLiteral("%1 does not read back").arg(v)));
    }
}

void TestElementValue::countUp_data()
{
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::addColumn<int>("passes");
    QTest::addColumn<bool>("overflows");

    QTest::newRow("1 to 0") << 1 << 0 << 0 << false;
    QTest::newRow("5 to -5") << 5 << -5 << 0 << false;
    QTest::newRow("1 to 3") << 1 << 3 << 3 << false;
    QTest::newRow("-32768 to -32768") << -32768 << -32768 << 1 << false;
    QTest::newRow("-1 to 1") << -1 << 1 << 3 << false;
    QTest::newRow("32765 to 32766") << 32765 << 32766 << 2 << false;
    QTest::newRow("32765 to 32767") << 32765 << 32767 << 3 << true;
    QTest::newRow("1 to 32767") << 1 << 32767 << 32767 << true;
    QTest::newRow("32767 to 32767") << 32767 << 32767 << 1 << true;
}

void TestElementValue::countUp()
{
    QFETCH(int, first);
    QFETCH(int, last);
    QFETCH(int, passes);
    QFETCH(bool, overflows);

    int passesRun = 0;
    int expectedCounter = first;
    bool overflowed = false;
    try {
        plimvar::countUp(static_cast<ElementValue>(first), static_cast<ElementValue>(last),
                         [&](ElementValue c) {
                             QCOMPARE(c, expectedCounter);
                             ++expectedCounter;
                             ++passesRun;
                         });
    } catch (const Failure &failure) {
        QCOMPARE(failure.kind(), FailureKind::Overflow);
        overflowed = true;
    }
    QCOMPARE(passesRun, passes);
    QCOMPARE(overflowed, overflows);
}

void TestElementValue::testedArithmetic_data()
{
    QTest::addColumn<int>("a");
    QTest::addColumn<int>("b");
    QTest::addColumn<QString>("sum");
    QTest::addColumn<QString>("difference");

    QTest::newRow("3, 1") << 3 << 1 << "4"
                          << "2";
    QTest::newRow("32766, 1") << 32766 << 1 << "32767"
                              << "32765";
    QTest::newRow("32767, 1") << 32767 << 1 << overflow << "32766";
    QTest::newRow("-32768, 1") << -32768 << 1 << "-32767" << overflow;
    QTest::newRow("-32768, -1") << -32768 << -1 << overflow << "-32767";
    QTest::newRow("0, -32768") << 0 << -32768 << "-32768" << overflow;
}

void TestElementValue::testedArithmetic()
{
    QFETCH(int, a);
    QFETCH(int, b);
    QFETCH(QString, sum);
    QFETCH(QString, difference);

    const auto x = static_cast<ElementValue>(a);
    const auto y = static_cast<ElementValue>(b);
    QCOMPARE(outcomeOf([&] { return addTested(x, y); }), sum);
    QCOMPARE(outcomeOf([&] { return subtractTested(x, y); }), difference);
}

QTEST_GUILESS_MAIN(TestElementValue)
#include "tst_element_value.moc"
