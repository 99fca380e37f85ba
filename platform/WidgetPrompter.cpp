#include "platform/WidgetPrompter.h"

#include "platform/FileListMessage.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>

namespace {

// Sets up a message box modal to the whole program. Its texts hold names and
// paths: they are plain text, never markup (the details always are).
void prepare(QMessageBox &box, const QString &informative, const QString &details)
{
    box.setWindowModality(Qt::ApplicationModal);
    box.setTextFormat(Qt::PlainText);
    if (!informative.isEmpty()) {
        box.setInformativeText(informative);
        if (auto *label = box.findChild<QLabel *>(QStringLiteral("qt_msgbox_informativelabel")))
            label->setTextFormat(Qt::PlainText);
    }
    if (!details.isEmpty())
        box.setDetailedText(details);
}

// Runs a message box; true when Yes was pressed.
bool askYesNo(QWidget *owner, const QString &title, const QString &text, QMessageBox::StandardButton defaultButton,
              const QString &informative = {}, const QString &details = {})
{
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No, owner);
    box.setDefaultButton(defaultButton);
    box.setEscapeButton(QMessageBox::No);
    prepare(box, informative, details);
    return box.exec() == QMessageBox::Yes;
}

} // namespace

WidgetPrompter::WidgetPrompter(const QString &title)
    : m_title(title)
{
}

void WidgetPrompter::error(QWidget *owner, const QString &text, const QString &details)
{
    QMessageBox box(QMessageBox::Critical, m_title, text, QMessageBox::Ok, owner);
    prepare(box, {}, details);
    box.exec();
}

void WidgetPrompter::information(QWidget *owner, const QString &text)
{
    QMessageBox box(QMessageBox::Information, m_title, text, QMessageBox::Ok, owner);
    prepare(box, {}, {});
    box.exec();
}

bool WidgetPrompter::question(QWidget *owner, const QString &text, const QString &details)
{
    return askYesNo(owner, m_title, text, QMessageBox::Yes, {}, details);
}

std::optional<QString> WidgetPrompter::chooseFolder(QWidget *owner, const QString &title, const QString &root,
                                                    const QString &preselect)
{
    // Without a folder to preselect the chooser opens in the home folder
    // rather than at the file system's root, where no player keeps replays.
    QString start = preselect.isEmpty() ? root : preselect;
    if (QDir(start) == QDir::root())
        start = QDir::homePath();
    const QString chosen = QFileDialog::getExistingDirectory(owner, title, start, QFileDialog::ShowDirsOnly);
    if (chosen.isEmpty())
        return std::nullopt;
    // cleanPath drops a trailing separator but keeps the root "/" itself.
    return QDir::cleanPath(QDir::fromNativeSeparators(chosen));
}

bool WidgetPrompter::confirmReplace(QWidget *owner, const QString &path, const QString &holds)
{
    // The file's own name: the folder is the one the dialog copies into.
    QString text = QStringLiteral("「%1」は既に存在します。上書きしますか？\n（今のファイルはごみ箱に移動します）")
                       .arg(QFileInfo(path).fileName());
    if (!holds.isEmpty())
        text += QStringLiteral("\n\n現在の内容：\n") + holds;
    return askYesNo(owner, m_title, text, QMessageBox::No);
}

bool WidgetPrompter::confirmDelete(QWidget *owner, const QStringList &paths, int hidden)
{
    QStringList names;
    names.reserve(paths.size());
    for (const QString &p : paths)
        names.append(QFileInfo(p).fileName());
    QString text = QStringLiteral("%1 件のファイルをごみ箱に移動しますか？").arg(paths.size());
    if (hidden > 0)
        text += QStringLiteral("\n（うち %1 件は絞り込みで表に表示されていません）").arg(hidden);
    // The box names the first files itself; the whole list is in the details.
    return askYesNo(owner, m_title, text, QMessageBox::No, FileListMessage::shownLines(names),
                    names.join(QLatin1Char('\n')));
}

std::optional<QString> WidgetPrompter::chooseSaveFile(QWidget *owner, const QString &title,
                                                      const QString &suggestedPath, const QString &filter)
{
    QFileDialog dialog(owner, title);
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(filter);
    dialog.setDefaultSuffix(QFileInfo(suggestedPath).suffix());
    dialog.setDirectory(QFileInfo(suggestedPath).absolutePath());
    dialog.selectFile(QFileInfo(suggestedPath).fileName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}
