#include "app/Seldir.h"

#include "platform/Prompter.h"

#include <QFileInfo>

bool DirectoryExists(const QString &path)
{
    // QFileInfo accepts "dir/" as well as "dir".
    return !path.isEmpty() && QFileInfo(path).isDir();
}

bool SelDirectory(Prompter &prompter, QWidget *owner, const QString &title, const QString &root, QString &directory)
{
    if (!DirectoryExists(directory))
        directory.clear();
    const std::optional<QString> chosen = prompter.chooseFolder(owner, title, root, directory);
    if (!chosen)
        return false;
    directory = *chosen;
    return true;
}
