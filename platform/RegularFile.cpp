#include "platform/RegularFile.h"

#include <QString>

// The opening itself is the system's: RegularFilePosix.cpp, RegularFileWindows.cpp.

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
    return result.systemError != 0 ? qt_error_string(result.systemError)
                                   : QStringLiteral("ファイルを開けませんでした");
}
