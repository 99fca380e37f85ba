#include "replay/ShiftJisText.h"

#include <QTest>

namespace {

QByteArray bytes(const char *data, int size) { return QByteArray(data, size); }

QString u(char16_t c) { return QString(QChar(c)); }

const QString Bad = QString(QChar::ReplacementCharacter);

} // namespace

class tst_ShiftJisText : public QObject
{
    Q_OBJECT

private slots:
    void decode_data();
    void decode();
    void decodeField_data();
    void decodeField();
    void encode_data();
    void encode();
    void bytesFor_data();
    void bytesFor();
    void storeFieldPads();
    void everyDoubleByteCharacterRoundTrips();
};

void tst_ShiftJisText::decode_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("text");

    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("ascii") << QByteArrayLiteral("Player 1") << QStringLiteral("Player 1");
    QTest::newRow("backslash and tilde") << QByteArrayLiteral("\\~") << QStringLiteral("\\~");
    QTest::newRow("hiragana") << bytes("\x82\xa0\x82\xa2\x82\xa4", 6) << QStringLiteral("あいう");
    QTest::newRow("kanji") << bytes("\x8a\xbf\x8e\x9a", 4) << QStringLiteral("漢字");
    QTest::newRow("trail byte 0x5C") << bytes("\x83\x5c\x95\x5c", 4) << QStringLiteral("ソ表");
    QTest::newRow("half-width kana") << bytes("\xb1\xb2\xb3", 3) << QStringLiteral("ｱｲｳ");
    QTest::newRow("mixed") << bytes("A\x82\xa0" "1", 4) << QStringLiteral("Aあ1");
    QTest::newRow("CR LF kept") << bytes("a\r\n\x82\xa0", 5) << QStringLiteral("a\r\nあ");
    QTest::newRow("NEC special") << bytes("\x87\x40", 2) << QStringLiteral("①");
    QTest::newRow("NEC-selected IBM") << bytes("\xed\x40", 2) << u(0x7E8A);
    QTest::newRow("user-defined area") << bytes("\xf0\x40", 2) << u(0xE000);

    QTest::newRow("0x1A kept") << bytes("\x1a", 1) << u(0x1A);
    QTest::newRow("0x1C and 0x7F kept") << bytes("\x1c\x7f", 2) << u(0x1C) + u(0x7F);
    QTest::newRow("0x1A between kanji") << bytes("\x88\x9f\x1a\x88\x9f", 5)
                                        << QStringLiteral("亜") + u(0x1A) + QStringLiteral("亜");

    QTest::newRow("lone lead byte at the end") << bytes("A\x82", 2) << QStringLiteral("A") + Bad;
    QTest::newRow("lead byte, invalid trail") << bytes("\x82\x20\x82\xa0", 4)
                                              << Bad + QStringLiteral(" あ");
    // 82 82 is itself a pair, which leaves A0 alone.
    QTest::newRow("pairs taken from the left") << bytes("\x82\x82\xa0", 3) << QStringLiteral("ｂ") + Bad;
    QTest::newRow("invalid single bytes") << bytes("\x80\xa0\xfd\xfe\xff", 5) << Bad + Bad + Bad + Bad + Bad;
    QTest::newRow("unassigned double byte") << bytes("\x85\x40" "A", 3) << Bad + QStringLiteral("A");
    QTest::newRow("invalid byte among kana") << bytes("\x82\xa0\x80\x82\xa2", 5)
                                             << QStringLiteral("あ") + Bad + QStringLiteral("い");
}

void tst_ShiftJisText::decode()
{
    QFETCH(QByteArray, input);
    QFETCH(QString, text);
    QCOMPARE(ShiftJisText::decode(input), text);
    QCOMPARE(ShiftJisText(input).text(), text);
    QCOMPARE(ShiftJisText(input).bytes(), input);
}

void tst_ShiftJisText::decodeField_data()
{
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("textBytes");

    const QByteArray kana15 = QByteArray("\x82\xa0", 2).repeated(15);
    QTest::newRow("full 30 bytes, no NUL") << kana15 << QStringLiteral("あ").repeated(15) << kana15;
    const QByteArray lone = QByteArray(29, 'x') + QByteArray("\x82", 1);
    QTest::newRow("full field ending in a lead byte") << lone << QString(29, QLatin1Char('x')) + Bad << lone;
    QByteArray padded = QByteArrayLiteral("AB");
    padded.append(QByteArray(1, '\0')).append("CD").append(QByteArray(25, '\0'));
    QTest::newRow("embedded NUL ends the text") << padded << QStringLiteral("AB") << QByteArrayLiteral("AB");
    QTest::newRow("all zero") << QByteArray(30, '\0') << QString() << QByteArray();
    QTest::newRow("version field") << QByteArrayLiteral("QVreplay Ver107 ") << QStringLiteral("QVreplay Ver107 ")
                                   << QByteArrayLiteral("QVreplay Ver107 ");
}

void tst_ShiftJisText::decodeField()
{
    QFETCH(QByteArray, field);
    QFETCH(QString, text);
    QFETCH(QByteArray, textBytes);
    const int width = int(field.size());
    QCOMPARE(ShiftJisText::decodeField(field.constData(), width), text);
    const ShiftJisText value = ShiftJisText::fromField(field.constData(), width);
    QCOMPARE(value.text(), text);
    QCOMPARE(value.bytes(), textBytes);
}

void tst_ShiftJisText::encode_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("maxBytes");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<bool>("cut");
    QTest::addColumn<bool>("unencodable");

    QTest::newRow("empty") << QString() << 30 << QByteArray() << false << false;
    QTest::newRow("ascii") << QStringLiteral("Player") << 30 << QByteArrayLiteral("Player") << false << false;
    QTest::newRow("kana and kanji") << QStringLiteral("ザインの洞") << 30
                                    << bytes("\x83\x55\x83\x43\x83\x93\x82\xcc\x93\xb4", 10) << false << false;
    QTest::newRow("half-width kana, one byte each")
        << QStringLiteral("ｱ").repeated(30) << 30 << QByteArray("\xb1", 1).repeated(30) << false << false;
    QTest::newRow("CR LF") << QStringLiteral("a\r\nb") << 1024 << QByteArrayLiteral("a\r\nb") << false << false;
    QTest::newRow("0x1A stays 0x1A") << u(0x1A) + QStringLiteral("あ") << 30 << bytes("\x1a\x82\xa0", 3)
                                     << false << false;

    const QByteArray x28(28, 'x');
    const QByteArray x29(29, 'x');
    QTest::newRow("28 + 2 bytes fill 30") << QString::fromLatin1(x28) + QStringLiteral("あ") << 30
                                          << x28 + bytes("\x82\xa0", 2) << false << false;
    QTest::newRow("29 + 2 bytes cut to 29") << QString::fromLatin1(x29) + QStringLiteral("あ") << 30 << x29
                                            << true << false;
    QTest::newRow("cut keeps later characters out")
        << QString::fromLatin1(x29) + QStringLiteral("あa") << 30 << x29 << true << false;
    QTest::newRow("nothing fits") << QStringLiteral("あ") << 1 << QByteArray() << true << false;

    QTest::newRow("emoji") << QStringLiteral("a\U0001F600b") << 30 << QByteArrayLiteral("a?b") << false << true;
    QTest::newRow("replacement character") << QStringLiteral("a") + Bad << 30 << QByteArrayLiteral("a?") << false
                                           << true;
    // Encodes to 87 82, which reads back as U+2116: not stored as typed.
    QTest::newRow("one-way mapping") << u(0xF86F) << 30 << QByteArrayLiteral("?") << false << true;
    QTest::newRow("unencodable after the cut")
        << QString::fromLatin1(x29) + QStringLiteral("あ\U0001F600") << 30 << x29 << true << true;
}

void tst_ShiftJisText::encode()
{
    QFETCH(QString, text);
    QFETCH(int, maxBytes);
    QFETCH(QByteArray, expected);
    QFETCH(bool, cut);
    QFETCH(bool, unencodable);
    const ShiftJisEncoded encoded = ShiftJisText::encode(text, maxBytes);
    QCOMPARE(encoded.bytes, expected);
    QCOMPARE(encoded.cut, cut);
    QCOMPARE(encoded.unencodable, unencodable);
    QCOMPARE(encoded.isExact(), !cut && !unencodable);
    QVERIFY(encoded.bytes.size() <= maxBytes);
}

void tst_ShiftJisText::bytesFor_data()
{
    QTest::addColumn<QByteArray>("original");
    QTest::addColumn<QString>("edited");
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<bool>("exact");

    // ED 40 decodes to a character whose own code is FA 5C.
    QTest::newRow("unchanged NEC/IBM duplicate") << bytes("\xed\x40", 2) << u(0x7E8A) << bytes("\xed\x40", 2)
                                                 << true;
    QTest::newRow("changed NEC/IBM duplicate") << bytes("\xed\x40", 2) << u(0x7E8A) + QStringLiteral("a")
                                               << bytes("\xfa\x5c" "a", 3) << true;
    QTest::newRow("unchanged undecodable bytes") << bytes("a\x80\x82", 3) << QStringLiteral("a") + Bad + Bad
                                                 << bytes("a\x80\x82", 3) << true;
    QTest::newRow("unchanged full field") << QByteArray("\x82\xa0", 2).repeated(15) << QStringLiteral("あ").repeated(15)
                                          << QByteArray("\x82\xa0", 2).repeated(15) << true;
    QTest::newRow("changed") << QByteArrayLiteral("old") << QStringLiteral("新") << bytes("\x90\x56", 2) << true;
    QTest::newRow("cleared") << QByteArrayLiteral("old") << QString() << QByteArray() << true;
    QTest::newRow("changed, too long") << QByteArrayLiteral("old") << QString(31, QLatin1Char('n'))
                                       << QByteArray(30, 'n') << false;
}

void tst_ShiftJisText::bytesFor()
{
    QFETCH(QByteArray, original);
    QFETCH(QString, edited);
    QFETCH(QByteArray, stored);
    QFETCH(bool, exact);
    const ShiftJisText field(original);
    const ShiftJisEncoded result = field.bytesFor(edited, 30);
    QCOMPARE(result.bytes, stored);
    QCOMPARE(result.isExact(), exact);
}

void tst_ShiftJisText::storeFieldPads()
{
    char field[30];
    std::memset(field, 'z', sizeof field);
    ShiftJisText::storeField(QByteArrayLiteral("abc"), field, 30);
    QCOMPARE(QByteArray(field, 30), QByteArrayLiteral("abc") + QByteArray(27, '\0'));

    const QByteArray full = QByteArray("\x82\xa0", 2).repeated(15);
    ShiftJisText::storeField(full, field, 30);
    QCOMPARE(QByteArray(field, 30), full);
    QCOMPARE(ShiftJisText::decodeField(field, 30), QStringLiteral("あ").repeated(15));
}

void tst_ShiftJisText::everyDoubleByteCharacterRoundTrips()
{
    // Whatever a valid pair decodes to must encode to bytes that decode to the
    // same character again (possibly other bytes: the duplicate codes).
    int decoded = 0;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (lead > 0x9F && lead < 0xE0)
            continue;
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            if (trail == 0x7F)
                continue;
            const QByteArray pair = QByteArray(1, char(lead)) + QByteArray(1, char(trail));
            const QString text = ShiftJisText::decode(pair);
            if (text == Bad)
                continue;
            ++decoded;
            QCOMPARE(text.size(), 1);
            const ShiftJisEncoded again = ShiftJisText::encode(text, 2);
            QVERIFY2(again.isExact(), pair.toHex().constData());
            QCOMPARE(again.bytes.size(), 2);
            QCOMPARE(ShiftJisText::decode(again.bytes), text);
        }
    }
    // JIS X 0208 alone has 6879 characters; the NEC and IBM extensions and
    // the user-defined area add to that.
    QVERIFY(decoded > 6879);
}

QTEST_GUILESS_MAIN(tst_ShiftJisText)
#include "tst_ShiftJisText.moc"
