#include "operations/ReplayCheck.h"

#include "operations/FileWorkProgress.h"
#include "replay/ReplayInfo.h"
#include "replay/ReplayStreamReader.h"

#include <QIODevice>

#include <vector>

namespace {

constexpr qint64 PieceSize = 64 * 1024;

// Reads another device for file work: tells the progress how far it is and
// fails every read once the work is cancelled, which ends any reader at its
// next read as the end of the data would.
class WorkDevice : public QIODevice {
public:
    WorkDevice(QIODevice &inner, FileWorkProgress *progress, qint64 base, qint64 total)
        : m_inner(inner), m_progress(progress), m_base(base), m_total(total)
    {
        QIODevice::open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }

    bool isSequential() const override { return false; }
    qint64 size() const override { return m_inner.size(); }
    bool seek(qint64 pos) override { return QIODevice::seek(pos) && m_inner.seek(pos); }

    bool wasCancelled() const { return m_cancelled; }
    void setReporting(bool on) { m_reporting = on; }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        if (FileWorkProgress::isCancelled(m_progress)) {
            m_cancelled = true;
            return -1;
        }
        const qint64 got = m_inner.read(data, maxSize);
        if (got > 0 && m_progress && m_reporting)
            m_progress->advance(m_base + m_inner.pos(), m_total);
        return got;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QIODevice &m_inner;
    FileWorkProgress *m_progress;
    qint64 m_base;
    qint64 m_total;
    bool m_cancelled = false;
    bool m_reporting = true;
};

// Digests the first `length` bytes of the device; false when they cannot
// all be read.
bool digestStream(QIODevice &device, qint64 length, ReplayIdentity &identity)
{
    if (!device.seek(0))
        return false;
    ReplayIdentityDigest digest;
    std::vector<char> piece(size_t(qMin(length, PieceSize)));
    for (qint64 left = length; left > 0;) {
        const qint64 got = device.read(piece.data(), qMin(left, PieceSize));
        if (got <= 0)
            return false;
        digest.add(QByteArrayView(piece.data(), got));
        left -= got;
    }
    identity = digest.result();
    return true;
}

} // namespace

ReplayCheck ReplayCheck::read(QIODevice &file, FileWorkProgress *progress, qint64 base, qint64 total)
{
    ReplayCheck check;
    WorkDevice device(file, progress, base, total < 0 ? file.size() : total);
    const auto cancelledOr = [&device, &check](Verdict otherwise) {
        check.verdict = device.wasCancelled() ? Verdict::Cancelled : otherwise;
        return check;
    };
    if (!device.seek(0))
        return cancelledOr(Verdict::NotReplay);
    // The reference reader: its reads are the 64 KiB pieces it inflates, so
    // a cancel is seen between any two of them.
    ReplayHead head{};
    const qint64 length = ReadReplayStreamZlib(device, head);
    if (length < 0 || !hasReplayPrefix(head))
        return cancelledOr(Verdict::NotReplay);
    // The stream's bytes again, for its identity: cheap beside the inflating.
    device.setReporting(false);
    if (!digestStream(device, length, check.identity))
        return cancelledOr(Verdict::NotReplay);
    check.verdict = Verdict::Replay;
    return check;
}
