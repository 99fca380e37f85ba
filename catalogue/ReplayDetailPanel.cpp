#include "catalogue/ReplayDetailPanel.h"

#include "catalogue/CharaSprites.h"
#include "platform/PlainToolTip.h"
#include "platform/WidgetKit.h"
#include "platform/WindowFont.h"
#include "replay/ContentTables.h"
#include "replay/ReplayInfo.h"
#include "replay/ShiftJisText.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QTimer>

namespace {

const QColor PanelColour(0, 128, 128);
const QColor CaptionColour(255, 255, 255);
const QColor ValueColour(255, 255, 0);

constexpr QSize DesignedSize(850, 200);
constexpr QSize CommentBox(753, 49); // at the designed size
constexpr int SpriteWidth = 64;
constexpr int SpriteHeight = 96;
constexpr int AnimeInterval = 300; // ms

// Pose drawn at each of the four animation steps: stand, step, stand, other step.
constexpr int PoseOfStep[4] = {1, 2, 1, 3};

// Labels are 12 px high; a font whose line is taller gets its full line so
// nothing is clipped.
int labelHeight(const QFont &font)
{
    return qMax(12, QFontMetrics(font).height());
}

QLabel *makeLabel(QWidget *parent, const char *name, const QString &text, const QColor &colour,
                  int x, int y, int height)
{
    // Replay texts are data, never markup: the kit's labels are plain text.
    QLabel *label = WidgetKit::label(parent, name, text, QPoint(x, y));
    WidgetKit::setTextColour(label, colour);
    label->resize(label->width(), height);
    return label;
}

QLabel *makeValue(QWidget *parent, const char *name, int x, int y, int width, int height)
{
    QLabel *label = makeLabel(parent, name, QString(), ValueColour, x, y, height);
    label->setFixedSize(width, height);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return label;
}

// Value labels keep their fixed width. A text wider than its label (the date in
// a fallback font with wide digits) is drawn condensed, down to 70 %, rather
// than losing its end.
void setFittedText(QLabel *label, const QFont &base, const QString &text)
{
    QFont font = base;
    const int advance = QFontMetrics(base).horizontalAdvance(text);
    if (advance > label->width()) {
        int stretch = qMax(70, label->width() * 100 / advance);
        font.setStretch(stretch);
        // Glyph advances are rounded: step down until it really fits.
        while (stretch > 70 && QFontMetrics(font).horizontalAdvance(text) > label->width())
            font.setStretch(--stretch);
    }
    label->setFont(font);
    label->setText(text);
}

} // namespace

ReplayDetailPanel::ReplayDetailPanel(QWidget *parent)
    : QWidget(parent), m_canvas(SpriteWidth, SpriteHeight, QImage::Format_RGB32)
{
    setObjectName(QStringLiteral("PnlInfoView"));
    setMinimumSize(DesignedSize);
    setFont(windowFont());
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, PanelColour);
    setPalette(pal);

    const int h = labelHeight(font());
    Label4 = makeLabel(this, "Label4", QStringLiteral("リプレイ日時："), CaptionColour, 16, 16, h);
    LblReplayDate = makeValue(this, "LblReplayDate", 96, 16, 105, h);
    Label8 = makeLabel(this, "Label8", QStringLiteral("バージョン："), CaptionColour, 408, 16, h);
    LblReplayVer = makeValue(this, "LblReplayVer", 480, 16, 225, h);
    Label1 = makeLabel(this, "Label1", QStringLiteral("使用キャラクター："), CaptionColour, 16, 48, h);
    LblReplayChara = makeValue(this, "LblReplayChara", 120, 48, 73, h);
    Label2 = makeLabel(this, "Label2", QStringLiteral("ダンジョン名："), CaptionColour, 408, 48, h);
    LblReplayDungeonName = makeValue(this, "LblReplayDungeonName", 488, 48, 225, h);
    Label3 = makeLabel(this, "Label3", QStringLiteral("スコア："), CaptionColour, 16, 80, h);
    LblReplayScore = makeValue(this, "LblReplayScore", 64, 80, 57, h);
    LblReplayScore->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label5 = makeLabel(this, "Label5", QStringLiteral("限定プレイ："), CaptionColour, 408, 80, h);
    LblReplayLimitPlay = makeValue(this, "LblReplayLimitPlay", 480, 80, 225, h);
    Label6 = makeLabel(this, "Label6", QStringLiteral("プレイヤー名："), CaptionColour, 16, 112, h);
    LblReplayName = makeValue(this, "LblReplayName", 96, 112, 289, h);
    Label7 = makeLabel(this, "Label7", QStringLiteral("コメント："), CaptionColour, 16, 144, h);

    // The play time is known but not shown: these two stay hidden and empty.
    LblReplayPTT = makeLabel(this, "LblReplayPTT", QString(), CaptionColour, 408, 112, h);
    LblReplayPTT->hide();
    LblReplayPT = makeLabel(this, "LblReplayPT", QString(), ValueColour, 480, 112, h);
    LblReplayPT->hide();

    LblStoredCaption = makeLabel(this, "LblStoredCaption", QStringLiteral("格納済み："), CaptionColour, 408, 112, h);
    LblStoredCaption->hide();
    LblStoredName = makeValue(this, "LblStoredName", 480, 112, 225, h);
    LblStoredName->hide();

    MemReplayComment = new QPlainTextEdit(this);
    MemReplayComment->setObjectName(QStringLiteral("MemReplayComment"));
    MemReplayComment->setGeometry(QRect(QPoint(64, 144), CommentBox));
    MemReplayComment->setFrameShape(QFrame::NoFrame);
    MemReplayComment->setReadOnly(true);
    // Clickable to select and copy text, but skipped by the Tab key.
    MemReplayComment->setFocusPolicy(Qt::ClickFocus);
    MemReplayComment->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    MemReplayComment->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    MemReplayComment->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    MemReplayComment->document()->setDocumentMargin(1);
    QPalette memo = MemReplayComment->palette();
    memo.setColor(QPalette::Base, PanelColour);
    memo.setColor(QPalette::Text, ValueColour);
    MemReplayComment->setPalette(memo);

    ImgCharDot = new QLabel(this);
    ImgCharDot->setObjectName(QStringLiteral("ImgCharDot"));
    ImgCharDot->setGeometry(200, 8, SpriteWidth, SpriteHeight);
    ImgCharDot->setAlignment(Qt::AlignCenter);
    m_canvas.fill(Qt::black);
    ImgCharDot->setPixmap(QPixmap::fromImage(m_canvas));

    tmAnime = new QTimer(this);
    tmAnime->setObjectName(QStringLiteral("tmAnime"));
    tmAnime->setInterval(AnimeInterval);
    connect(tmAnime, &QTimer::timeout, this, &ReplayDetailPanel::tmAnimeTimer);
    resize(DesignedSize);
}

void ReplayDetailPanel::resizeEvent(QResizeEvent *event)
{
    // The labels keep their places; the comment takes the room beyond the
    // designed size.
    QWidget::resizeEvent(event);
    const QSize extra = size() - DesignedSize;
    MemReplayComment->resize(CommentBox.width() + qMax(0, extra.width()), CommentBox.height() + qMax(0, extra.height()));
}

void ReplayDetailPanel::showReplay(const ReplayInfo *replay)
{
    for (QLabel *value : {LblReplayDate, LblReplayVer, LblReplayChara, LblReplayDungeonName,
                          LblReplayScore, LblReplayLimitPlay, LblReplayName})
        setFittedText(value, font(), QString());
    WidgetKit::setWholeText(LblReplayScore, QString()); // back to the designed width
    WidgetKit::setWholeText(LblReplayLimitPlay, QString());
    LblReplayName->setToolTip(QString());
    MemReplayComment->clear();
    showStoredNames({});
    m_charaDotNo = 0;
    drawFrame(1);
    ImgCharDot->show();
    if (!replay)
        return;

    const QFont base = font();
    setFittedText(LblReplayDate, base, FormatPlayDate(replay->PlayDate));
    setFittedText(LblReplayVer, base, ShiftJisText::decodeField(replay->ReplayVer, ReplayVerSize));
    setFittedText(LblReplayChara, base, CharaName(replay->Chara));
    m_charaDotNo = charaIndex(replay->Chara) + 1;
    m_animeCount = 0;
    drawFrame(1);
    setFittedText(LblReplayDungeonName, base,
                  DungeonName(replay->Dungeon) + FormatFloor(replay->Dungeon, replay->Floor, FloorForm::Panel));
    // A score of ten digits, all nine limits: the label widens rather than
    // cut the number or a limit.
    WidgetKit::setWholeText(LblReplayScore, FormatScore(replay->Score));
    WidgetKit::setWholeText(LblReplayLimitPlay, LimitPlayText(replay->LimitPlay));
    // A 30-byte name of wide letters needs more room than the label has.
    WidgetKit::setNameText(LblReplayName, ShiftJisText::decodeField(replay->PlayerName, PlayerNameSize));
    QString comment = ShiftJisText::decodeField(replay->Comment, CommentSize);
    comment.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    MemReplayComment->setPlainText(comment);
}

void ReplayDetailPanel::showNothing()
{
    showReplay(nullptr);
    ImgCharDot->hide();
}

void ReplayDetailPanel::showStoredNames(const QStringList &names)
{
    if (names.isEmpty()) {
        LblStoredCaption->hide();
        LblStoredName->hide();
        LblStoredName->clear();
        LblStoredName->setToolTip(QString());
        return;
    }
    const QString shown = names.size() == 1
                              ? names.first()
                              : QStringLiteral("%1 ほか %2 件").arg(names.first()).arg(names.size() - 1);
    WidgetKit::setNameText(LblStoredName, shown);
    LblStoredName->setToolTip(plainToolTip(names.join(QLatin1Char('\n'))));
    LblStoredCaption->show();
    LblStoredName->show();
}

void ReplayDetailPanel::startAnimation()
{
    tmAnime->start();
}

void ReplayDetailPanel::tmAnimeTimer()
{
    if (m_charaDotNo == 0)
        return;
    drawFrame(PoseOfStep[m_animeCount]);
    m_animeCount = (m_animeCount + 1) % 4;
}

void ReplayDetailPanel::drawFrame(int pose)
{
    m_canvas.fill(Qt::black);
    // CharaDotNo 7 is the unknown character: it has no frame and stays black.
    const QImage frame = charaSprite(pose, m_charaDotNo - 1);
    if (!frame.isNull()) {
        QPainter painter(&m_canvas);
        painter.drawImage(0, 0, frame);
    }
    ImgCharDot->setPixmap(QPixmap::fromImage(m_canvas));
}
