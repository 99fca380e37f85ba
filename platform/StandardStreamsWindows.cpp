#include "platform/StandardStreams.h"

#include <QFile>

#include <qt_windows.h>
#include <shellapi.h>

#include <cstdio>
#include <fcntl.h>
#include <io.h>

QStringList StandardStreams::arguments(int argc, char **argv)
{
    Q_UNUSED(argc)
    Q_UNUSED(argv)
    QStringList list;
    int count = 0;
    wchar_t **words = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!words)
        return list;
    for (int i = 0; i < count; ++i)
        list.append(QString::fromWCharArray(words[i]));
    LocalFree(words);
    return list;
}

QList<QByteArray> StandardStreams::nativeArguments(int argc, char **argv)
{
    QList<QByteArray> list;
    const QStringList words = arguments(argc, argv);
    for (qsizetype i = 1; i < words.size(); ++i)
        list.append(QFile::encodeName(words[i]));
    return list;
}

void StandardStreams::keepLineEnds()
{
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

void StandardStreams::write(const QString &text, Stream stream)
{
    if (text.isEmpty())
        return;
    const DWORD which = stream == Stream::Output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE;
    HANDLE handle = GetStdHandle(which);
    // A window program started from a console window has no standard
    // handles of its own: it borrows that console's.
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
        if (!AttachConsole(ATTACH_PARENT_PROCESS) && GetLastError() != ERROR_ACCESS_DENIED)
            return;
        handle = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                             nullptr);
        if (handle == INVALID_HANDLE_VALUE)
            return;
        SetStdHandle(which, handle);
    }
    DWORD done = 0;
    DWORD mode = 0;
    if (GetConsoleMode(handle, &mode)) {
        WriteConsoleW(handle, text.utf16(), DWORD(text.size()), &done, nullptr);
        return;
    }
    const QByteArray bytes = text.toUtf8();
    WriteFile(handle, bytes.constData(), DWORD(bytes.size()), &done, nullptr);
}
