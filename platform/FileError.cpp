#include "platform/FileError.h"

// What the system's codes mean is the system's: FileErrorPosix.cpp and
// FileErrorWindows.cpp.

QString FileError::reasonText() const
{
    switch (cause) {
    case Cause::None:
        return {};
    case Cause::Missing:
        return QStringLiteral("ファイルまたはフォルダが見つかりません。");
    case Cause::Denied:
        return QStringLiteral("ファイルまたはフォルダを扱う権限がありません。");
    case Cause::ReadOnlyFile:
        return QStringLiteral("ファイルが読み取り専用になっています。");
    case Cause::ReadOnlyVolume:
        return QStringLiteral("読み取り専用のドライブのため、書き込めません。");
    case Cause::DiskFull:
        return QStringLiteral("ディスクの空き容量が足りません。");
    case Cause::TooLarge:
        return QStringLiteral("ファイルが大きすぎるため、書き込めません。");
    case Cause::NameTooLong:
        return QStringLiteral("ファイル名が長すぎます。");
    case Cause::Exists:
        return QStringLiteral("同じ名前のファイルが既にあります。");
    case Cause::CrossVolume:
        return QStringLiteral("別のドライブへは移動できません。");
    case Cause::Busy:
        return QStringLiteral("ファイルがほかのプログラムで使用中です。");
    case Cause::DeviceError:
        return QStringLiteral("ディスクの読み書きでエラーが起きました。");
    case Cause::Cancelled:
        return QStringLiteral("中止しました。");
    case Cause::Other:
        break;
    }
    return systemError != 0
        ? QStringLiteral("ファイルを読み書きできませんでした（%1）。").arg(systemText(systemError))
        : QStringLiteral("ファイルを読み書きできませんでした。");
}
