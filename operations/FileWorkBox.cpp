#include "operations/FileWorkBox.h"

#include "catalogue/TFileLoadDlg.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>
#include <climits>

namespace {

// Steps of the bar for each file: the bytes of a large one move it too.
constexpr int StepsPerFile = 100;

} // namespace

FileWorkBox::FileWorkBox(QWidget *mainWindow)
    : m_mainWindow(mainWindow)
{
}

FileWorkBox::~FileWorkBox()
{
    hide();
}

void FileWorkBox::show(const QString &heading, const std::function<void()> &cancel)
{
    hide();
    m_dialog = new TFileLoadDlg(m_mainWindow);
    if (!heading.isEmpty())
        m_dialog->setHeading(heading);
    QPushButton *button = m_dialog->addCancelButton();
    QObject::connect(button, &QPushButton::clicked, m_dialog, [button, cancel] {
        cancel();
        button->setEnabled(false); // it was heard; the work stops at its next step
    });
    m_dialog->PbrFileLoad->setMaximum(StepsPerFile);
    // The window stays as it is, drawn but out of reach, while the box is up:
    // questions the work asks (children of the window) must stay usable.
    m_dialog->setWindowModality(Qt::ApplicationModal);
    if (m_mainWindow) {
        const QPoint centre = m_mainWindow->mapToGlobal(m_mainWindow->rect().center());
        m_dialog->move(centre - QPoint(m_dialog->width() / 2, m_dialog->height() / 2));
    }
    m_dialog->show();
}

void FileWorkBox::update(int index, int count, const QString &name, qint64 done, qint64 total)
{
    if (!m_dialog || count <= 0)
        return;
    const int part = total > 0 ? int(std::clamp<qint64>(done * StepsPerFile / total, 0, StepsPerFile)) : 0;
    const qint64 steps = qint64(count) * StepsPerFile;
    // A bar counts in int: very many files are counted in coarser steps.
    const qint64 scale = steps > INT_MAX ? steps / INT_MAX + 1 : 1;
    m_dialog->PbrFileLoad->setMaximum(int(steps / scale));
    m_dialog->PbrFileLoad->setValue(int((qint64(index) * StepsPerFile + part) / scale));
    // A long name is shortened in its middle; a wide count takes room from the bar.
    m_dialog->showStep(QStringLiteral("%1 / %2").arg(index + 1).arg(count), name);
}

TFileLoadDlg *FileWorkBox::dialog() const
{
    return m_dialog;
}

void FileWorkBox::hide()
{
    if (m_dialog) {
        m_dialog->hide();
        delete m_dialog.data();
    }
}
