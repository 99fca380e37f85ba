#include "platform/CodePage932.h"

#include <QTest>

// The system's code page 932 converter (ICU under Linux, the Windows API under
// Windows) against the byte pairs the replay and settings tests rely on: the
// same answers from both, in both directions.
class tst_CodePage932 : public QObject {
    Q_OBJECT

private slots:
    void roundTrip_data();
    void roundTrip();
    void refusals_data();
    void refusals();
};

void tst_CodePage932::roundTrip_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("encoded"); // what the text encodes to: other bytes for a duplicate code

    const auto row = [](const char *hex, const QString &text, const char *encodedHex = nullptr) {
        const QByteArray bytes = QByteArray::fromHex(hex);
        QTest::newRow(hex) << bytes << text << (encodedHex ? QByteArray::fromHex(encodedHex) : bytes);
    };
    row("82a082a282a4", QStringLiteral("あいう"));
    row("8abf8e9a", QStringLiteral("漢字"));
    row("835c955c", QStringLiteral("ソ表")); // trail byte 0x5C, the backslash
    row("b1b2b3", QStringLiteral("ｱｲｳ"));
    row("835583438393", QStringLiteral("ザイン"));
    row("82cc93b4", QStringLiteral("の洞"));
    row("836583588367", QStringLiteral("テスト"));
    row("9056", QStringLiteral("新"));
    row("8282", QStringLiteral("ｂ"));
    row("8740", QStringLiteral("①")); // NEC special characters
    row("8782", QString(QChar(0x2116)));
    row("fa5c", QString(QChar(0x7E8A))); // IBM extension
    row("ed40", QString(QChar(0x7E8A)), "fa5c"); // NEC-selected IBM: the same character
    row("f040", QString(QChar(0xE000))); // user-defined area
}

void tst_CodePage932::roundTrip()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(QByteArray, encoded);
    bool error = true;
    QCOMPARE(CodePage932::decode(bytes, &error), text);
    QVERIFY(!error);
    error = true;
    QCOMPARE(CodePage932::encode(text, &error), encoded);
    QVERIFY(!error);
}

void tst_CodePage932::refusals_data()
{
    // Bytes to decode, or else a text to encode: either is an error.
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("unassigned pair 8540") << QByteArray::fromHex("8540") << QString();
    QTest::newRow("emoji") << QByteArray() << QStringLiteral("\U0001F600");
    QTest::newRow("hangul") << QByteArray() << QStringLiteral("한");
    // Windows would write the backslash byte for the yen sign by "best fit".
    QTest::newRow("yen sign") << QByteArray() << QString(QChar(0xA5));
}

void tst_CodePage932::refusals()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    bool error = false;
    if (!bytes.isEmpty())
        CodePage932::decode(bytes, &error);
    else
        CodePage932::encode(text, &error);
    QVERIFY(error);
}

QTEST_GUILESS_MAIN(tst_CodePage932)
#include "tst_CodePage932.moc"
