#include "app/StatusLine.h"

#include "platform/PlainToolTip.h"
#include "platform/WidgetKit.h"

#include <QEvent>
#include <QLabel>
#include <QStatusBar>
#include <QToolButton>

#include <algorithm>

namespace {

constexpr int BarWidth = 850;
constexpr int BarHeight = 19;
constexpr int SayMs = 5000;

} // namespace

StatusLine::StatusLine(QStatusBar *bar)
    : m_bar(bar)
{
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(false);
    bar->setFixedHeight(BarHeight);
    const struct {
        const char *name;
        int width;
        Qt::Alignment alignment;
    } specs[] = {
        {"StatusPanel0", 150, Qt::AlignCenter},
        {"StatusPanel1", 600, Qt::AlignLeft | Qt::AlignVCenter},
        {"StatusPanel2", 50, Qt::AlignCenter},
    };
    for (size_t i = 0; i < panels.size(); ++i) {
        QLabel *label = WidgetKit::label(bar, specs[i].name, QString(), QPoint());
        label->setFixedWidth(specs[i].width);
        label->setAlignment(specs[i].alignment);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        bar->addWidget(label);
        panels[i] = label;
    }

    // Shown only while there is something to count; panel 1 then makes room.
    unreadableButton = new QToolButton(bar);
    unreadableButton->setObjectName(QStringLiteral("SbtUnreadable"));
    unreadableButton->setAutoRaise(true);
    unreadableButton->setFocusPolicy(Qt::NoFocus);
    unreadableButton->setCursor(Qt::PointingHandCursor);
    unreadableButton->setFixedHeight(BarHeight - 2);
    unreadableButton->setToolTip(QStringLiteral("格納フォルダにある、リプレイとして読み込めないファイルの数です。"
                                                "クリックすると一覧を表示します。"));
    QPalette blue = unreadableButton->palette();
    blue.setColor(QPalette::ButtonText, Qt::blue);
    unreadableButton->setPalette(blue);
    bar->addWidget(unreadableButton);
    unreadableButton->hide();
    bar->installEventFilter(this);
    // The bar hides its panels while it says something and shows them again
    // after; the count follows, as it is shown only while there are any.
    connect(bar, &QStatusBar::messageChanged, this, &StatusLine::placeUnreadable);
}

bool StatusLine::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_bar && event->type() == QEvent::Resize)
        fitPanels();
    return QObject::eventFilter(watched, event);
}

void StatusLine::show(const QString &caption, const QString &path, const std::array<QString, 2> &countTexts,
                      int unreadable)
{
    panels[0]->setText(caption);
    m_path = path;
    unreadableButton->setText(QStringLiteral("読み込めないファイル：%1").arg(unreadable));
    unreadableButton->setFixedWidth(unreadableButton->sizeHint().width());
    m_hasUnreadable = unreadable != 0;
    panels[2]->setText(countTexts[0]);
    panels[2]->setToolTip(countTexts[1]);
    panels[2]->setFixedWidth(countTexts[0].isEmpty() ? 50 : std::clamp(panels[2]->sizeHint().width(), 50, 100));
    placeUnreadable();
}

void StatusLine::placeUnreadable()
{
    unreadableButton->setHidden(!m_hasUnreadable || !m_bar->currentMessage().isEmpty());
    fitPanels();
}

void StatusLine::fitPanels()
{
    // The bar places its items 2 px from the left edge, 6 px apart. Panel 1
    // keeps its 600 px unless the filter count or the count of unreadable
    // files needs the room.
    constexpr int Lead = 2;
    constexpr int Gap = 6;
    constexpr int PathWidth = 600;
    int others = Lead + panels[0]->width() + Gap + Gap + panels[2]->width();
    if (!unreadableButton->isHidden())
        others += Gap + unreadableButton->width();
    const int extra = std::max(0, m_bar->width() - BarWidth);
    panels[1]->setFixedWidth(std::min(PathWidth, BarWidth - others) + extra);
    // A long path gives way in its middle; the tip has it whole.
    WidgetKit::setNameText(panels[1], m_path, Qt::ElideMiddle);
    panels[1]->setToolTip(plainToolTip(m_path));
}

void StatusLine::say(const QString &text)
{
    if (!text.isEmpty()) // nothing to say leaves the bar as it is
        m_bar->showMessage(text, SayMs);
}
