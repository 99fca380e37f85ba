#include "catalogue/CharaSprites.h"
#include "catalogue/ReplayDetailPanel.h"
#include "replay/ReplayInfo.h"
#include "replay/ShiftJisText.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTimer>
#include <QtTest>

#include <cstring>

namespace {

// Fills a NUL-padded field from text (Shift-JIS) or raw bytes.
void setField(char *field, int width, const QByteArray &bytes)
{
    std::memset(field, 0, size_t(width));
    std::memcpy(field, bytes.constData(), size_t(qMin(width, int(bytes.size()))));
}

QByteArray sjis(const QString &text)
{
    return ShiftJisText::encode(text, 4096).bytes;
}

ReplayInfo knownReplay()
{
    ReplayInfo info{};
    setField(info.ReplayVer, ReplayVerSize, "QVreplay Ver107 ");
    info.Dungeon = 7; // 灰の塔, 30 floors
    info.Floor = 12;
    info.Chara = 2;
    info.Score = 1234567;
    info.PlayDate = 1200000000; // 2008-01-10 21:20:00 UTC; the tests run in Asia/Tokyo
    info.LimitPlay[1] = 1;
    info.LimitPlay[4] = 1;
    setField(info.PlayerName, PlayerNameSize, sjis(QStringLiteral("テスト太郎")));
    setField(info.Comment, CommentSize, sjis(QStringLiteral("一行目")));
    return info;
}

QImage shown(const ReplayDetailPanel &panel)
{
    return panel.ImgCharDot->pixmap().toImage().convertToFormat(QImage::Format_RGB32);
}

bool allBlack(const QImage &image)
{
    if (image.size() != QSize(64, 96))
        return false;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != qRgb(0, 0, 0))
                return false;
    return true;
}

QImage sprite(int pose, int chara)
{
    return charaSprite(pose, chara).convertToFormat(QImage::Format_RGB32);
}

QList<QLabel *> valueLabels(const ReplayDetailPanel &p)
{
    return {p.LblReplayDate, p.LblReplayVer,   p.LblReplayChara, p.LblReplayDungeonName,
            p.LblReplayScore, p.LblReplayLimitPlay, p.LblReplayName};
}

} // namespace

class TestReplayDetailPanel : public QObject {
    Q_OBJECT
private slots:
    void layout_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QPoint>("pos");
        QTest::addColumn<int>("width");   // -1: sized to its text
        QTest::addColumn<QString>("text");
        QTest::addColumn<QColor>("colour");
        const QColor white(255, 255, 255), yellow(255, 255, 0);
        const auto caption = [&](const char *name, QPoint pos, const QString &text) {
            QTest::newRow(name) << QString::fromLatin1(name) << pos << -1 << text << white;
        };
        const auto value = [&](const char *name, QPoint pos, int width) {
            QTest::newRow(name) << QString::fromLatin1(name) << pos << width << QString() << yellow;
        };
        caption("Label4", {16, 16}, QStringLiteral("リプレイ日時："));
        value("LblReplayDate", {96, 16}, 105);
        caption("Label8", {408, 16}, QStringLiteral("バージョン："));
        value("LblReplayVer", {480, 16}, 225);
        caption("Label1", {16, 48}, QStringLiteral("使用キャラクター："));
        value("LblReplayChara", {120, 48}, 73);
        caption("Label2", {408, 48}, QStringLiteral("ダンジョン名："));
        value("LblReplayDungeonName", {488, 48}, 225);
        caption("Label3", {16, 80}, QStringLiteral("スコア："));
        value("LblReplayScore", {64, 80}, 57);
        caption("Label5", {408, 80}, QStringLiteral("限定プレイ："));
        value("LblReplayLimitPlay", {480, 80}, 225);
        caption("Label6", {16, 112}, QStringLiteral("プレイヤー名："));
        value("LblReplayName", {96, 112}, 289);
        caption("Label7", {16, 144}, QStringLiteral("コメント："));
    }

    void layout()
    {
        QFETCH(QString, name);
        QFETCH(QPoint, pos);
        QFETCH(int, width);
        QFETCH(QString, text);
        QFETCH(QColor, colour);
        ReplayDetailPanel panel;
        auto *label = panel.findChild<QLabel *>(name);
        QVERIFY(label);
        QCOMPARE(label->pos(), pos);
        QCOMPARE(label->text(), text);
        QCOMPARE(label->palette().color(QPalette::WindowText), colour);
        QVERIFY(label->height() >= 12 && label->height() <= 16);
        QCOMPARE(label->textFormat(), Qt::PlainText);
        if (width >= 0) {
            QCOMPARE(label->width(), width);
            QCOMPARE(label->minimumSize(), label->maximumSize()); // fixed size
        } else {
            QVERIFY(label->width() >= label->sizeHint().width()); // caption not clipped
        }
    }

    void panelAndMemo()
    {
        ReplayDetailPanel panel;
        QCOMPARE(panel.objectName(), QStringLiteral("PnlInfoView"));
        QCOMPARE(panel.size(), QSize(850, 200));
        QCOMPARE(panel.palette().color(QPalette::Window), QColor(0, 128, 128));
        QVERIFY(panel.autoFillBackground());
        QVERIFY(panel.font().families().contains(QStringLiteral("IPAPGothic")));
        QCOMPARE(panel.font().pixelSize(), 12);
        QVERIFY(panel.LblReplayScore->alignment() & Qt::AlignRight);

        QPlainTextEdit *memo = panel.MemReplayComment;
        QCOMPARE(memo->objectName(), QStringLiteral("MemReplayComment"));
        QCOMPARE(memo->geometry(), QRect(64, 144, 753, 49));
        QVERIFY(memo->isReadOnly());
        QCOMPARE(memo->frameShape(), QFrame::NoFrame);
        QCOMPARE(memo->focusPolicy() & Qt::TabFocus, 0);
        QCOMPARE(memo->palette().color(QPalette::Base), QColor(0, 128, 128));
        QCOMPARE(memo->palette().color(QPalette::Text), QColor(255, 255, 0));
        QVERIFY(memo->verticalScrollBarPolicy() != Qt::ScrollBarAlwaysOff);

        QCOMPARE(panel.ImgCharDot->objectName(), QStringLiteral("ImgCharDot"));
        QCOMPARE(panel.ImgCharDot->geometry(), QRect(200, 8, 64, 96));
        QVERIFY(allBlack(shown(panel)));

        for (QLabel *hidden : {panel.LblReplayPTT, panel.LblReplayPT}) {
            QVERIFY(hidden->isHidden());
            QVERIFY(hidden->text().isEmpty());
        }
        QCOMPARE(panel.LblReplayPTT->pos(), QPoint(408, 112));
        QCOMPARE(panel.LblReplayPT->pos(), QPoint(480, 112));
    }

    void knownReplayFillsEveryValue()
    {
        ReplayDetailPanel panel;
        const ReplayInfo info = knownReplay();
        panel.showReplay(&info);
        QCOMPARE(panel.LblReplayDate->text(), QStringLiteral("2008/01/11 06:20:00"));
        QCOMPARE(panel.LblReplayVer->text(), QStringLiteral("QVreplay Ver107 "));
        QCOMPARE(panel.LblReplayChara->text(), QStringLiteral("ラドム"));
        QCOMPARE(panel.LblReplayDungeonName->text(), QStringLiteral("灰の塔　12 階"));
        QCOMPARE(panel.LblReplayScore->text(), QStringLiteral("1,234,567"));
        QCOMPARE(panel.LblReplayLimitPlay->text(), QStringLiteral("肉　マナ　"));
        QCOMPARE(panel.LblReplayName->text(), QStringLiteral("テスト太郎"));
        QCOMPARE(panel.MemReplayComment->toPlainText(), QStringLiteral("一行目"));
        QCOMPARE(panel.CharaDotNo(), 3);
        QCOMPARE(panel.AnimeCount(), 0);
        QCOMPARE(shown(panel), sprite(1, 2));
        for (QLabel *label : valueLabels(panel))
            QVERIFY2(QFontMetrics(label->font()).horizontalAdvance(label->text()) <= label->width(),
                     qPrintable(label->objectName()));
    }

    void valueTexts_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<int>("dungeon");
        QTest::addColumn<int>("floor");
        QTest::addColumn<int>("score");
        QTest::addColumn<QList<int>>("limitPlay");
        QTest::addColumn<QString>("expected");
        const QList<int> none(9, 0);
        QTest::newRow("unknown dungeon never cleared") << QStringLiteral("LblReplayDungeonName") << 20 << 5 << 0 << none
                                                       << QStringLiteral("unknown　5 階");
        QTest::newRow("unknown dungeon deep") << QStringLiteral("LblReplayDungeonName") << -1 << 99 << 0 << none
                                              << QStringLiteral("unknown　99 階");
        QTest::newRow("last floor is not cleared") << QStringLiteral("LblReplayDungeonName") << 0 << 15 << 0 << none
                                                   << QStringLiteral("ストーリー　第１話　15 階");
        QTest::newRow("cleared") << QStringLiteral("LblReplayDungeonName") << 0 << 16 << 0 << none
                                 << QStringLiteral("ストーリー　第１話　クリア");
        QTest::newRow("score 0") << QStringLiteral("LblReplayScore") << 0 << 1 << 0 << none << QStringLiteral("0");
        QTest::newRow("score 999") << QStringLiteral("LblReplayScore") << 0 << 1 << 999 << none << QStringLiteral("999");
        QTest::newRow("score 1000") << QStringLiteral("LblReplayScore") << 0 << 1 << 1000 << none << QStringLiteral("1,000");
        QTest::newRow("no limits") << QStringLiteral("LblReplayLimitPlay") << 0 << 1 << 0 << none << QString();
        QTest::newRow("only exactly 1 counts") << QStringLiteral("LblReplayLimitPlay") << 0 << 1 << 0
                                               << QList<int>{1, 0, 0, 2, 0, 0, 0, 0, 1}
                                               << QStringLiteral("草　スキル");
        QTest::newRow("all limits") << QStringLiteral("LblReplayLimitPlay") << 0 << 1 << 0 << QList<int>(9, 1)
                                    << QStringLiteral("草　肉　パン　矢　マナ　巻物　杖　指輪　スキル");
    }

    void valueTexts()
    {
        QFETCH(QString, label);
        QFETCH(int, dungeon);
        QFETCH(int, floor);
        QFETCH(int, score);
        QFETCH(QList<int>, limitPlay);
        QFETCH(QString, expected);
        ReplayInfo info = knownReplay();
        info.Dungeon = dungeon;
        info.Floor = floor;
        info.Score = score;
        for (int i = 0; i < LimitPlayCount; ++i)
            info.LimitPlay[i] = limitPlay.at(i);
        ReplayDetailPanel panel;
        panel.showReplay(&info);
        auto *shownLabel = panel.findChild<QLabel *>(label);
        QVERIFY(shownLabel);
        QCOMPARE(shownLabel->text(), expected);
        // drawn condensed when needed, never cut
        QVERIFY(QFontMetrics(shownLabel->font()).horizontalAdvance(expected) <= shownLabel->width());
    }

    void textFields_data()
    {
        QTest::addColumn<QByteArray>("version");
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QString>("expectedVersion");
        QTest::addColumn<QString>("expectedName");
        QTest::newRow("full fields without NUL")
            << QByteArray("QVreplay Ver106X") << QByteArray(30, 'N') << QStringLiteral("QVreplay Ver106X")
            << QString(30, u'N');
        QTest::newRow("cut at the first NUL")
            << QByteArray("QVre\0play", 9) << QByteArray("ab\0cd", 5) << QStringLiteral("QVre") << QStringLiteral("ab");
        QTest::newRow("markup stays text")
            << QByteArray("<b>v</b>") << QByteArray("<i>x</i>&amp;") << QStringLiteral("<b>v</b>")
            << QStringLiteral("<i>x</i>&amp;");
    }

    void textFields()
    {
        QFETCH(QByteArray, version);
        QFETCH(QByteArray, name);
        QFETCH(QString, expectedVersion);
        QFETCH(QString, expectedName);
        ReplayInfo info = knownReplay();
        setField(info.ReplayVer, ReplayVerSize, version);
        setField(info.PlayerName, PlayerNameSize, name);
        ReplayDetailPanel panel;
        panel.showReplay(&info);
        QCOMPARE(panel.LblReplayVer->text(), expectedVersion);
        QCOMPARE(panel.LblReplayName->text(), expectedName);
    }

    void comments()
    {
        ReplayDetailPanel panel;
        ReplayInfo info = knownReplay();

        QByteArray full(CommentSize, 'c');
        full[CommentSize - 1] = 'Z';
        setField(info.Comment, CommentSize, full);
        panel.showReplay(&info);
        QCOMPARE(panel.MemReplayComment->toPlainText(), QString::fromLatin1(full));

        setField(info.Comment, CommentSize, sjis(QStringLiteral("一行目\r\n二行目\r\n\r\n四行目")));
        panel.showReplay(&info);
        QCOMPARE(panel.MemReplayComment->document()->blockCount(), 4);
        QCOMPARE(panel.MemReplayComment->document()->findBlockByNumber(3).text(), QStringLiteral("四行目"));
        QVERIFY(!panel.MemReplayComment->toPlainText().contains(u'\r'));
    }

    void emptyReplayClearsEverything()
    {
        ReplayDetailPanel panel;
        const ReplayInfo info = knownReplay();
        panel.showReplay(&info);
        panel.tmAnimeTimer();
        panel.showReplay(nullptr);
        for (QLabel *label : valueLabels(panel))
            QVERIFY2(label->text().isEmpty(), qPrintable(label->objectName()));
        QVERIFY(panel.MemReplayComment->toPlainText().isEmpty());
        QCOMPARE(panel.CharaDotNo(), 0);
        QVERIFY(allBlack(shown(panel)));
        for (int i = 0; i < 5; ++i) {
            panel.tmAnimeTimer();
            QVERIFY(allBlack(shown(panel)));
        }
    }

    void unknownCharacterDrawsNothing()
    {
        ReplayDetailPanel panel;
        ReplayInfo info = knownReplay();
        panel.showReplay(&info); // a figure first, so black must be drawn over it
        info.Chara = 9;
        panel.showReplay(&info);
        QCOMPARE(panel.LblReplayChara->text(), QStringLiteral("unknown"));
        QCOMPARE(panel.CharaDotNo(), 7);
        QVERIFY(allBlack(shown(panel)));
        for (int i = 0; i < 5; ++i) {
            panel.tmAnimeTimer();
            QVERIFY(allBlack(shown(panel)));
        }
        QCOMPARE(panel.AnimeCount(), 1); // the steps still count on
    }

    void walkCycle_data()
    {
        QTest::addColumn<int>("chara");
        for (int c = 0; c < 6; ++c)
            QTest::addRow("chara %d", c) << c;
    }

    void walkCycle()
    {
        QFETCH(int, chara);
        ReplayDetailPanel panel;
        ReplayInfo info = knownReplay();
        info.Chara = chara;
        panel.showReplay(&info);
        QCOMPARE(shown(panel), sprite(1, chara));
        const int poses[] = {1, 2, 1, 3, 1, 2, 1, 3};
        for (int i = 0; i < 8; ++i) {
            panel.tmAnimeTimer();
            QCOMPARE(shown(panel), sprite(poses[i], chara));
            QCOMPARE(panel.AnimeCount(), (i + 1) % 4);
        }
    }

    void sameCharacterRestartsAtStanding()
    {
        ReplayDetailPanel panel;
        ReplayInfo info = knownReplay();
        panel.showReplay(&info);
        panel.tmAnimeTimer();
        panel.tmAnimeTimer();
        QCOMPARE(shown(panel), sprite(2, 2));
        info.Score = 5; // another replay of the same character
        panel.showReplay(&info);
        QCOMPARE(panel.AnimeCount(), 0);
        QCOMPARE(shown(panel), sprite(1, 2));
        panel.tmAnimeTimer();
        QCOMPARE(shown(panel), sprite(1, 2));
        panel.tmAnimeTimer();
        QCOMPARE(shown(panel), sprite(2, 2));
    }

    void timer()
    {
        ReplayDetailPanel panel;
        auto *timer = panel.findChild<QTimer *>(QStringLiteral("tmAnime"));
        QVERIFY(timer);
        QCOMPARE(timer->interval(), 300);
        QVERIFY(!timer->isActive());
        const ReplayInfo info = knownReplay();
        panel.showReplay(&info);
        QVERIFY(!timer->isActive()); // showing a replay does not start it

        panel.startAnimation();
        QVERIFY(timer->isActive());
        const int id = timer->timerId();
        panel.showReplay(&info);
        QCOMPARE(timer->timerId(), id); // nor restart it
        QTRY_COMPARE_WITH_TIMEOUT(shown(panel), sprite(2, 2), 2000);
    }

    void spritesAreDistinct()
    {
        for (int c = 0; c < 6; ++c) {
            for (int p = 1; p <= 3; ++p) {
                const QImage frame = charaSprite(p, c);
                QVERIFY(!frame.isNull());
                QCOMPARE(frame.size(), QSize(64, 96));
                QCOMPARE(frame.pixel(0, 0), qRgb(0, 0, 0)); // on black
            }
            QVERIFY(sprite(1, c) != sprite(2, c));
            QVERIFY(sprite(1, c) != sprite(3, c));
            QVERIFY(sprite(2, c) != sprite(3, c));
            for (int other = c + 1; other < 6; ++other)
                QVERIFY2(sprite(1, c) != sprite(1, other), qPrintable(QStringLiteral("%1 %2").arg(c).arg(other)));
        }
        QVERIFY(charaSprite(0, 0).isNull());
        QVERIFY(charaSprite(4, 0).isNull());
        QVERIFY(charaSprite(1, 6).isNull());
        QVERIFY(charaSprite(1, -1).isNull());
    }
};

QTEST_MAIN(TestReplayDetailPanel)
#include "tst_ReplayDetailPanel.moc"
