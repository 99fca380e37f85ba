#include "catalogue/FolderListing.h"

#include "replay/ShiftJisText.h"

#include <algorithm>

bool FolderListing::isReplayName(QByteArrayView name)
{
    // ".dat" alone is a hidden file too.
    if (name.size() < 5 || name.front() == '.')
        return false;
    const QByteArrayView extension = name.last(4);
    return extension.compare(QByteArrayView(".dat"), Qt::CaseInsensitive) == 0;
}

void FolderListing::setNameText(ListedFile &file)
{
    const QByteArrayView name(file.nameBytes);
    // Most names are plain ASCII, which needs no decoder.
    if (std::all_of(name.begin(), name.end(), [](char c) { return uchar(c) < 0x80; })) {
        file.utf8 = true;
        file.name = QString::fromLatin1(name);
        return;
    }
    file.utf8 = ShiftJisText::isUtf8(name);
    file.name = file.utf8 ? QString::fromUtf8(name) : ShiftJisText::decode(name);
}
