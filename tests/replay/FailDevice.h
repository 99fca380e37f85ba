#pragma once

#include <QBuffer>

// An in-memory device that fails like a full disk or a bad sector. Writes stop
// after failWriteAfter bytes (a short write, then -1). Reads stop once
// failReadAfterRewind bytes have been read since the device was last rewound
// with seek(0); reads before the first rewind never fail, so a reader's first
// pass succeeds and a second pass over the same bytes breaks. A negative limit
// never fails. Open it Unbuffered so the limits count the caller's own calls.
class FailDevice : public QBuffer
{
public:
    explicit FailDevice(qint64 failWriteAfter = -1, qint64 failReadAfterRewind = -1)
        : m_failWriteAfter(failWriteAfter), m_failReadAfterRewind(failReadAfterRewind)
    {
    }

    bool seek(qint64 pos) override
    {
        if (pos == 0) {
            m_rewound = true;
            m_read = 0;
        }
        return QBuffer::seek(pos);
    }

protected:
    qint64 writeData(const char *data, qint64 len) override
    {
        if (m_failWriteAfter < 0)
            return QBuffer::writeData(data, len);
        const qint64 room = m_failWriteAfter - m_written;
        if (room <= 0)
            return -1;
        const qint64 written = QBuffer::writeData(data, qMin(len, room));
        if (written > 0)
            m_written += written;
        return written;
    }

    qint64 readData(char *data, qint64 maxlen) override
    {
        if (m_failReadAfterRewind < 0 || !m_rewound)
            return QBuffer::readData(data, maxlen);
        const qint64 room = m_failReadAfterRewind - m_read;
        if (room <= 0)
            return -1;
        const qint64 got = QBuffer::readData(data, qMin(maxlen, room));
        if (got > 0)
            m_read += got;
        return got;
    }

private:
    qint64 m_failWriteAfter;
    qint64 m_failReadAfterRewind;
    bool m_rewound = false;
    qint64 m_written = 0;
    qint64 m_read = 0;
};
