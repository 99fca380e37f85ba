#include "app/FolderNotice.h"

#include "platform/PlainToolTip.h"
#include "platform/WidgetKit.h"

#include <QDir>
#include <QEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int Margin = 16;

} // namespace

FolderNotice::FolderNotice(QWidget *viewport)
    : QFrame(viewport)
{
    setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    WidgetKit::useButtonFace(this);

    m_label = new QLabel(this);
    m_label->setTextFormat(Qt::PlainText);
    m_label->setAlignment(Qt::AlignCenter);
    BtnChooseFolder = new QPushButton(QStringLiteral("別のフォルダを選ぶ…"), this);
    BtnChooseFolder->setAutoDefault(false);
    connect(BtnChooseFolder, &QPushButton::clicked, this, &FolderNotice::chooseFolder);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 8, 12, 8);
    layout->setSpacing(6);
    layout->addWidget(m_label);
    layout->addWidget(BtnChooseFolder, 0, Qt::AlignHCenter);

    viewport->installEventFilter(this);
    hide();
}

void FolderNotice::showFor(FolderSnapshot::State state, const QString &dir)
{
    const QString path = QDir::toNativeSeparators(dir);
    if (state == FolderSnapshot::State::Present)
        m_stateText.clear();
    else
        m_stateText = state == FolderSnapshot::State::Missing ? QStringLiteral("フォルダが見つかりません：%1").arg(path)
                                                              : QStringLiteral("フォルダを読み込めません：%1").arg(path);
    refresh();
}

void FolderNotice::setProblem(const QString &text)
{
    m_problem = text;
    refresh();
}

void FolderNotice::refresh()
{
    m_text = m_stateText.isEmpty() ? m_problem : m_stateText;
    if (m_text.isEmpty()) {
        hide();
        return;
    }
    setToolTip(plainToolTip(m_text));
    place();
    show();
    raise();
}

void FolderNotice::place()
{
    const QWidget *viewport = parentWidget();
    const int room = qMax(100, viewport->width() - 2 * Margin);
    // A long path is shortened in its middle; the tool tip has it whole.
    const int textRoom = room - 24 - 2 * frameWidth();
    m_label->setText(m_label->fontMetrics().elidedText(m_text, Qt::ElideMiddle, textRoom));
    adjustSize();
    const QSize size(qMin(sizeHint().width(), room), sizeHint().height());
    resize(size);
    move((viewport->width() - size.width()) / 2, qMax(0, (viewport->height() - size.height()) / 2));
}

bool FolderNotice::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize && !m_text.isEmpty())
        place();
    return QFrame::eventFilter(watched, event);
}
