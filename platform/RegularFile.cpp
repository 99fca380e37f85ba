#include "platform/RegularFile.h"

#include "platform/FileError.h"

#include <QString>

// The opening itself is the system's: RegularFilePosix.cpp and
// RegularFileWindows.cpp.

namespace {

void (*betweenLookAndOpen)(const QByteArray &) = nullptr;

} // namespace

void RegularFile::setBetweenLookAndOpen(void (*hook)(const QByteArray &nativePath))
{
    betweenLookAndOpen = hook;
}

void RegularFile::lookedAt(const QByteArray &nativePath)
{
    if (betweenLookAndOpen)
        betweenLookAndOpen(nativePath);
}

QString RegularFile::reasonText(const Result &result)
{
    switch (result.refusal) {
    case Refusal::None:
        return {};
    case Refusal::Missing:
        return QStringLiteral("ファイルが見つかりません");
    case Refusal::Denied:
        return QStringLiteral("ファイルを開く権限がありません");
    case Refusal::NotRegular:
        switch (result.kind) {
        case Kind::Folder:
            return QStringLiteral("フォルダです");
        case Kind::Pipe:
            return QStringLiteral("通常のファイルではありません（名前付きパイプ）");
        case Kind::Socket:
            return QStringLiteral("通常のファイルではありません（ソケット）");
        case Kind::Device:
            return QStringLiteral("通常のファイルではありません（デバイス）");
        default:
            return QStringLiteral("通常のファイルではありません");
        }
    case Refusal::Failed:
        break;
    }
    if (result.systemError == 0)
        return QStringLiteral("ファイルを開けませんでした");
    QString text = FileError::fromSystem(result.systemError).reasonText();
    text.chop(1); // a clause here, without its "。"
    return text;
}
