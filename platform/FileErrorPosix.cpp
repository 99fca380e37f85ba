#include "platform/FileError.h"

#include <cerrno>

namespace {

using Cause = FileError::Cause;

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

} // namespace

FileError FileError::fromSystem(int systemError)
{
    return FileError{causeOfErrno(systemError), systemError};
}

FileError FileError::fromSystemText(const QString &text)
{
    for (int code : KnownCodes) {
        if (text == qt_error_string(code))
            return fromSystem(code);
    }
    return FileError{Cause::Other, 0};
}

QString FileError::systemText(int systemError)
{
    return qt_error_string(systemError);
}
