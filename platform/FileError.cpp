#include "platform/FileError.h"

#include <cerrno>

namespace {

using Cause = FileError::Cause;

#ifdef Q_OS_UNIX

Cause causeOfErrno(int error)
{
    switch (error) {
    case 0:
        return Cause::None;
    case ENOENT:
    case ENOTDIR:
        return Cause::Missing;
    case EACCES:
    case EPERM:
        return Cause::Denied;
    case EROFS:
        return Cause::ReadOnlyVolume;
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return Cause::DiskFull;
    case EFBIG:
        return Cause::TooLarge;
    case ENAMETOOLONG:
        return Cause::NameTooLong;
    case EEXIST:
    case ENOTEMPTY:
        return Cause::Exists;
    case EXDEV:
        return Cause::CrossVolume;
    case EBUSY:
    case ETXTBSY:
        return Cause::Busy;
    case EIO:
        return Cause::DeviceError;
    case ECANCELED:
        return Cause::Cancelled;
    default:
        return Cause::Other;
    }
}

// The codes whose Qt text fromSystemText() recognises.
constexpr int KnownCodes[] = {ENOENT, EACCES, EPERM, EROFS, ENOSPC,
#ifdef EDQUOT
                              EDQUOT,
#endif
                              EFBIG, ENAMETOOLONG, EEXIST, EXDEV, EBUSY, EIO};

#endif

} // namespace

FileError FileError::fromSystem(int systemError)
{
#ifdef Q_OS_UNIX
    return FileError{causeOfErrno(systemError), systemError};
#else
    return FileError{systemError == 0 ? Cause::None : Cause::Other, systemError};
#endif
}

FileError FileError::fromSystemText(const QString &text)
{
#ifdef Q_OS_UNIX
    for (int code : KnownCodes) {
        if (text == qt_error_string(code))
            return fromSystem(code);
    }
#endif
    return FileError{Cause::Other, 0};
}

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
        ? QStringLiteral("ファイルを読み書きできませんでした（%1）。").arg(qt_error_string(systemError))
        : QStringLiteral("ファイルを読み書きできませんでした。");
}
