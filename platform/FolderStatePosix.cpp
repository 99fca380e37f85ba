#include "platform/FolderState.h"

#include <cerrno>
#include <dirent.h>
#include <sys/stat.h>

FolderState folderState(const QByteArray &folder)
{
    struct stat status {};
    if (::stat(folder.isEmpty() ? "." : folder.constData(), &status) != 0)
        return errno == ENOENT || errno == ENOTDIR ? FolderState::Missing : FolderState::Unreadable;
    if (!S_ISDIR(status.st_mode))
        return FolderState::Missing;
    DIR *dir = ::opendir(folder.isEmpty() ? "." : folder.constData());
    if (!dir)
        return FolderState::Unreadable;
    ::closedir(dir);
    return FolderState::Present;
}
