#include "replay/ReplayInfo.h"

#include <QTest>

#include <cstring>

namespace {

// A head whose 16 version bytes are the given bytes, NUL-padded.
ReplayHead headWithVersion(const QByteArray &version)
{
    ReplayHead head{};
    std::memcpy(head.ReplayVer, version.constData(), size_t(qMin<qsizetype>(version.size(), ReplayVerSize)));
    return head;
}

} // namespace

class tst_ReplayInfo : public QObject
{
    Q_OBJECT

private slots:
    void classifiesVersions_data();
    void classifiesVersions();
    void fieldBytesStopsAtFirstNul_data();
    void fieldBytesStopsAtFirstNul();
};

void tst_ReplayInfo::classifiesVersions_data()
{
    QTest::addColumn<QByteArray>("version"); // up to 16 bytes
    QTest::addColumn<bool>("replay");
    QTest::addColumn<bool>("locked");
    QTest::addColumn<QByteArray>("text");

    QTest::newRow("105") << QByteArray("QVreplay Ver105 ") << true << true << QByteArray("QVreplay Ver105 ");
    QTest::newRow("106") << QByteArray("QVreplay Ver106 ") << true << true << QByteArray("QVreplay Ver106 ");
    QTest::newRow("105 in other letter case") << QByteArray("QVreplay vER105 ") << true << true
                                              << QByteArray("QVreplay vER105 ");
    QTest::newRow("106 in upper case after the prefix") << QByteArray("QVreplay VER106 ") << true << true
                                                        << QByteArray("QVreplay VER106 ");
    QTest::newRow("107 may be edited") << QByteArray("QVreplay Ver107 ") << true << false
                                       << QByteArray("QVreplay Ver107 ");
    QTest::newRow("105 without trailing blank") << QByteArray("QVreplay Ver105") << true << false
                                                << QByteArray("QVreplay Ver105");
    QTest::newRow("lower-case prefix rejected") << QByteArray("qvreplay Ver105 ") << false << true
                                                << QByteArray("qvreplay Ver105 ");
    QTest::newRow("prefix only") << QByteArray("QVreplay") << true << false << QByteArray("QVreplay");
    QTest::newRow("text ends at first NUL") << QByteArray("QVreplay\0Ver105 ", 16) << true << false
                                            << QByteArray("QVreplay");
    QTest::newRow("NUL inside the prefix") << QByteArray("QVrep\0ay Ver105 ", 16) << false << false
                                           << QByteArray("QVrep");
    QTest::newRow("empty") << QByteArray() << false << false << QByteArray();
}

void tst_ReplayInfo::classifiesVersions()
{
    QFETCH(QByteArray, version);
    QFETCH(bool, replay);
    QFETCH(bool, locked);
    QFETCH(QByteArray, text);

    const ReplayHead head = headWithVersion(version);
    QCOMPARE(hasReplayPrefix(head), replay);
    QCOMPARE(isEditLockedVersion(head), locked);
    QCOMPARE(versionText(head), text);
}

void tst_ReplayInfo::fieldBytesStopsAtFirstNul_data()
{
    QTest::addColumn<QByteArray>("field"); // exactly the field's width
    QTest::addColumn<QByteArray>("text");

    QTest::newRow("full 30-byte name without NUL") << QByteArray(30, 'N') << QByteArray(30, 'N');
    QTest::newRow("padded") << QByteArray("abc").leftJustified(30, '\0') << QByteArray("abc");
    QTest::newRow("all NUL") << QByteArray(30, '\0') << QByteArray();
    QTest::newRow("bytes after the first NUL dropped") << QByteArray("ab\0cd", 5).leftJustified(30, '\0')
                                                       << QByteArray("ab");
    const QByteArray sjis("\x83\x65\x83\x58\x83\x67\r\n\x82\xa0", 10);
    QTest::newRow("Shift-JIS and CR LF kept") << sjis.leftJustified(1024, '\0') << sjis;
}

void tst_ReplayInfo::fieldBytesStopsAtFirstNul()
{
    QFETCH(QByteArray, field);
    QFETCH(QByteArray, text);
    QCOMPARE(fieldBytes(field.constData(), int(field.size())), text);
}

QTEST_GUILESS_MAIN(tst_ReplayInfo)
#include "tst_ReplayInfo.moc"
