#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

// Whole-file reads and writes for test fixtures.

// The file's bytes, or nothing when it cannot be read.
inline QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Replaces the file with bytes; false on any failure.
inline bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

#ifdef Q_OS_WIN

#include <qt_windows.h>

// Renames from over to, replacing a file there, as another program (a
// download finishing) does.
inline bool renameOver(const QString &from, const QString &to)
{
    return MoveFileExW(reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(from).utf16()),
                       reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(to).utf16()),
                       MOVEFILE_REPLACE_EXISTING);
}

// Names are UTF-16 under Windows: the bytes of a name are its 8-bit form
// (QFile::encodeName), and every name is text.

inline bool writeRawFile(const QByteArray &path, const QByteArray &bytes)
{
    return writeAll(QFile::decodeName(path), bytes);
}

inline void removeNonUtf8Names(const QString &) {}

inline QByteArray readRawFile(const QByteArray &path)
{
    return readAll(QFile::decodeName(path));
}

#else

#include <QStringDecoder>

#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

// Renames from over to, replacing a file there, as another program (a
// download finishing) does.
inline bool renameOver(const QString &from, const QString &to)
{
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

// Replaces the file named by these bytes (which need not be text); false on
// any failure.
inline bool writeRawFile(const QByteArray &path, const QByteArray &bytes)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    return ::close(fd) == 0 && written;
}

// Removes the files of folder whose names are not UTF-8, which QTemporaryDir
// cannot name and so would leave behind.
inline void removeNonUtf8Names(const QString &folder)
{
    const QByteArray path = QFile::encodeName(folder) + '/';
    DIR *dir = ::opendir(path.constData());
    if (!dir)
        return;
    QList<QByteArray> names;
    while (const struct dirent *entry = ::readdir(dir)) {
        QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        const QString decoded = utf8(QByteArrayView(entry->d_name));
        if (utf8.hasError())
            names.append(QByteArray(entry->d_name));
    }
    ::closedir(dir);
    for (const QByteArray &name : names)
        ::unlink((path + name).constData());
}

// The bytes of the file named by these bytes, or nothing when it cannot be read.
inline QByteArray readRawFile(const QByteArray &path)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {};
    QFile file;
    return file.open(fd, QIODevice::ReadOnly, QFile::AutoCloseHandle) ? file.readAll() : QByteArray();
}

#endif
