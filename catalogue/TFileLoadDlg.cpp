#include "catalogue/TFileLoadDlg.h"

#include "platform/WidgetKit.h"
#include "platform/WindowFont.h"

#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QPalette>
#include <QProgressBar>
#include <QPushButton>

namespace {

// Drawing is allowed at most this often while stepping through many files.
constexpr qint64 RedrawIntervalMs = 30;

} // namespace

TFileLoadDlg::TFileLoadDlg(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("FileLoadDlg"));
    setWindowTitle(QStringLiteral("ファイル処理中"));
    setFixedSize(290, 89);

    setFont(windowFont());

    WidgetKit::useButtonFace(this);

    auto *bevel = new QFrame(this);
    bevel->setObjectName(QStringLiteral("Bevel1"));
    bevel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    bevel->setGeometry(0, 0, 289, 89);
    m_bevel = bevel;

    // Every text is plain: the file name shown is data, never markup.
    Label1 = WidgetKit::label(this, "Label1", QStringLiteral("リプレイファイル読み込み中"), QRect(8, 12, 141, 12));
    LblFileCnt = WidgetKit::valueLabel(this, "LblFileCnt", QRect(232, 54, 49, 12));
    LblFileCnt->setAlignment(Qt::AlignCenter);
    Label2 = WidgetKit::label(this, "Label2", QStringLiteral("ファイル名："), QRect(24, 30, 59, 12));
    LblLoadFileName = WidgetKit::valueLabel(this, "LblLoadFileName", QRect(88, 30, 193, 12));

    PbrFileLoad = new QProgressBar(this);
    PbrFileLoad->setObjectName(QStringLiteral("PbrFileLoad"));
    PbrFileLoad->setGeometry(8, 48, 217, 24);
    PbrFileLoad->setMinimum(0);
    PbrFileLoad->setValue(0);
    PbrFileLoad->setTextVisible(false);
}

void TFileLoadDlg::setHeading(const QString &heading)
{
    Label1->setText(heading);
    // The heading grows with its text (a longer one would be cut) and never
    // shrinks below its designed width.
    Label1->resize(qBound(141, Label1->sizeHint().width(), width() - Label1->x() - 8), Label1->height());
}

void TFileLoadDlg::showStep(const QString &countText, const QString &fileName)
{
    constexpr int Gap = 7; // between the bar and the count, as designed
    const int needed = LblFileCnt->fontMetrics().horizontalAdvance(countText);
    if (needed > LblFileCnt->width()) {
        const QRect count = LblFileCnt->geometry();
        LblFileCnt->setGeometry(count.right() + 1 - needed, count.y(), needed, count.height());
        PbrFileLoad->resize(LblFileCnt->x() - Gap - PbrFileLoad->x(), PbrFileLoad->height());
    }
    LblFileCnt->setText(countText);
    WidgetKit::setNameText(LblLoadFileName, fileName, Qt::ElideMiddle);
}

QPushButton *TFileLoadDlg::addCancelButton()
{
    if (BtnCancel)
        return BtnCancel;
    setFixedSize(290, 121);
    m_bevel->setGeometry(0, 0, 289, 121);
    BtnCancel = WidgetKit::button(this, "BtnCancel", QStringLiteral("キャンセル"), QRect(192, 84, 89, 25));
    BtnCancel->setAutoDefault(false);
    BtnCancel->show();
    return BtnCancel;
}

void TFileLoadDlg::reject()
{
    if (BtnCancel && BtnCancel->isEnabled())
        BtnCancel->click();
}

FileLoadProgress::FileLoadProgress(QWidget *mainWindow)
    : m_mainWindow(mainWindow)
{
}

FileLoadProgress::~FileLoadProgress()
{
    finish();
}

void FileLoadProgress::start(int maximum, const QString &heading)
{
    finish(); // a scan left unfinished must not leave its box behind
    m_dialog = new TFileLoadDlg(m_mainWindow);
    m_dialog->PbrFileLoad->setMaximum(maximum);
    m_dialog->PbrFileLoad->setValue(0);
    if (!heading.isEmpty())
        m_dialog->setHeading(heading);
    if (m_mainWindow) {
        const QPoint centre = m_mainWindow->mapToGlobal(m_mainWindow->rect().center());
        m_dialog->move(centre - QPoint(m_dialog->width() / 2, m_dialog->height() / 2));
    }
    m_dialog->show();
    QCoreApplication::processEvents();
    if (m_mainWindow) {
        m_mainWindow->setEnabled(false);
        // The box is a window of its own; it keeps looking alive while its
        // owner is disabled.
        if (m_dialog)
            m_dialog->setEnabled(true);
    }
    m_maximum = maximum;
    m_sinceRedraw.start();
}

void FileLoadProgress::step(int position, const QString &countText, const QString &fileName)
{
    if (!m_dialog)
        return;
    // Files added after counting step past the maximum; the bar stays full.
    m_dialog->PbrFileLoad->setValue(qMin(position, m_dialog->PbrFileLoad->maximum()));
    m_dialog->showStep(countText, fileName);
    // Drawing every step would dominate a scan of thousands of small files.
    if (position <= 1 || position >= m_maximum || m_sinceRedraw.elapsed() >= RedrawIntervalMs) {
        QCoreApplication::processEvents();
        m_sinceRedraw.start();
    }
}

void FileLoadProgress::waiting()
{
    // The files are read on other threads; the window goes on drawing.
    if (m_dialog && m_sinceRedraw.elapsed() >= RedrawIntervalMs) {
        QCoreApplication::processEvents();
        m_sinceRedraw.start();
    }
}

void FileLoadProgress::finish()
{
    if (m_mainWindow && m_dialog)
        m_mainWindow->setEnabled(true);
    if (m_dialog) {
        m_dialog->hide();
        delete m_dialog.data();
    }
}
