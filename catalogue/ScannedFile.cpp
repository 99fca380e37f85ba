#include "catalogue/ScannedFile.h"

#include "replay/ReplayStreamReader.h"

#include <QFile>

#include <cstring>
#include <ctime>

namespace {

qint64 nowNs()
{
    struct timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// The two bytes a zlib stream starts with: check bits, the deflate method, a
// window of at most 32 KiB and no preset dictionary (replays never have one).
bool startsLikeZlib(QFile &file)
{
    char bytes[2];
    if (!file.seek(0) || file.read(bytes, 2) != 2)
        return false;
    const unsigned cmf = quint8(bytes[0]);
    const unsigned flg = quint8(bytes[1]);
    return (cmf * 256 + flg) % 31 == 0 && (cmf & 0x0f) == 8 && (cmf >> 4) <= 7 && !(flg & 0x20);
}

} // namespace

ScannedFile ScannedFile::read(const QByteArray &path, const FileStamp &listed, qint64 settleNs)
{
    ScannedFile scanned;
    QFile file;
    scanned.openStatus = RegularFile::open(file, path);
    if (!scanned.openStatus) {
        scanned.outcome = scanned.openStatus.refusal == RegularFile::Refusal::NotRegular ? Outcome::NotRegular
                                                                                          : Outcome::CannotOpen;
        return scanned;
    }
    const qint64 readAt = nowNs();

    ReplayIdentityDigest digest;
    ReplayInfo info{};
    const qint64 length = ReadReplayStream(file, info, [&digest](QByteArrayView bytes) { digest.add(bytes); });
    // The change time only grows: a file with the listed stamp after reading
    // is the listed file and did not change meanwhile.
    const bool stamped = FolderListing::stampOfDescriptor(file.handle(), &scanned.stamp);
    scanned.reusable = stamped && scanned.stamp == listed && scanned.stamp.ctimeNs < readAt - settleNs;
    if (length == -1) {
        if (stamped && scanned.stamp.size == 0)
            scanned.outcome = Outcome::Empty;
        else
            scanned.outcome = startsLikeZlib(file) ? Outcome::Broken : Outcome::NotReplay;
    } else if (!hasReplayPrefix(info)) {
        scanned.outcome = Outcome::NotReplay;
    } else {
        ReadReplayText(file, info);
        scanned.outcome = Outcome::Accepted;
        scanned.streamLength = length;
        scanned.head = info;
        scanned.setTexts(info);
        scanned.identity = digest.result();
    }
    return scanned;
}

void ScannedFile::setTexts(const ReplayInfo &info)
{
    playerName = storedFieldBytes(info.PlayerName, PlayerNameSize);
    comment = storedFieldBytes(info.Comment, CommentSize);
}

void ScannedFile::toInfo(ReplayInfo &info) const
{
    info = ReplayInfo{};
    static_cast<ReplayHead &>(info) = head;
    putStoredField(playerName, info.PlayerName, PlayerNameSize);
    putStoredField(comment, info.Comment, CommentSize);
}

QString ScannedFile::reasonText() const
{
    switch (outcome) {
    case Outcome::Accepted:
        return {};
    case Outcome::NotReplay:
        return QStringLiteral("リプレイファイルではありません");
    case Outcome::Empty:
        return QStringLiteral("空のファイルです");
    case Outcome::Broken:
        return QStringLiteral("リプレイのデータが壊れているか、途中で切れています");
    case Outcome::CannotOpen:
        if (openStatus.refusal == RegularFile::Refusal::Failed && openStatus.systemError != 0)
            return QStringLiteral("ファイルを開けません（%1）").arg(RegularFile::reasonText(openStatus));
        return RegularFile::reasonText(openStatus);
    case Outcome::NotRegular:
        return RegularFile::reasonText(openStatus);
    case Outcome::DanglingLink:
        return QStringLiteral("リンク先のファイルがありません");
    case Outcome::NameNotUtf8:
        return QStringLiteral("ファイル名が Shift-JIS など別の文字コードで書かれています");
    }
    return {};
}
