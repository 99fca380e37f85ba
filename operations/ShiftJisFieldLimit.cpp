#include "operations/ShiftJisFieldLimit.h"

#include "replay/ShiftJisText.h"

#include <limits>

namespace {

// A paste far beyond the limit is looked at only this far past it.
constexpr int ExaminedBeyondLimit = 64;

const QString &lineBreak()
{
    static const QString text = QStringLiteral("\n");
    return text;
}

qsizetype codePointLength(QStringView text, qsizetype i)
{
    return text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2 : 1;
}

} // namespace

ShiftJisFieldLimit::ShiftJisFieldLimit(const QByteArray &original, int maxBytes, bool crLfLines)
    : m_original(original),
      m_originalText(ShiftJisText::decode(original)),
      m_maxBytes(maxBytes),
      m_crLfLines(crLfLines)
{
    QString joined;
    for (qsizetype i = 0; i < original.size();) {
        const int length = ShiftJisText::startsPair(original, i) ? 2 : 1;
        Unit unit{original.mid(i, length), ShiftJisText::decode(QByteArrayView(original).sliced(i, length))};
        joined += unit.text;
        m_units.push_back(std::move(unit));
        i += length;
    }
    // Keeping bytes by character needs the units to read as the whole does.
    if (joined != m_originalText)
        m_units.clear();
    m_initialShown = shownText();
}

QString ShiftJisFieldLimit::shownText() const
{
    if (!m_crLfLines)
        return m_originalText;
    QString text = m_originalText;
    return text.replace(QStringLiteral("\r\n"), lineBreak());
}

QString ShiftJisFieldLimit::toStored(const QString &shown) const
{
    if (!m_crLfLines)
        return shown;
    QString text = shown;
    return text.replace(lineBreak(), QStringLiteral("\r\n"));
}

QByteArray ShiftJisFieldLimit::preservingBytes(const QString &stored) const
{
    const int unlimited = std::numeric_limits<int>::max();
    if (m_units.empty())
        return ShiftJisText::encode(stored, unlimited).bytes;
    const QStringView text(stored);
    size_t head = 0;
    qsizetype begin = 0;
    while (head < m_units.size() && text.sliced(begin).startsWith(m_units[head].text)) {
        begin += m_units[head].text.size();
        ++head;
    }
    size_t tail = m_units.size();
    qsizetype end = text.size();
    while (tail > head && end - m_units[tail - 1].text.size() >= begin
           && text.first(end).endsWith(m_units[tail - 1].text)) {
        end -= m_units[tail - 1].text.size();
        --tail;
    }
    QByteArray bytes;
    for (size_t u = 0; u < head; ++u)
        bytes += m_units[u].bytes;
    bytes += ShiftJisText::encode(text.sliced(begin, end - begin), unlimited).bytes;
    for (size_t u = tail; u < m_units.size(); ++u)
        bytes += m_units[u].bytes;
    return bytes;
}

QByteArray ShiftJisFieldLimit::bytesFor(const QString &shown) const
{
    if (shown == m_initialShown)
        return m_original;
    QByteArray bytes = preservingBytes(toStored(shown));
    if (bytes.size() > m_maxBytes)
        bytes = ShiftJisText::encode(toStored(shown), m_maxBytes).bytes;
    return bytes;
}

ShiftJisFieldLimit::Fit ShiftJisFieldLimit::fit(const QString &before, const QString &after) const
{
    const qsizetype shorter = qMin(before.size(), after.size());
    qsizetype head = 0;
    while (head < shorter && before[head] == after[head])
        ++head;
    qsizetype tail = 0;
    while (tail < shorter - head && before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
        ++tail;
    // Never split a surrogate pair between the kept ends and the insertion.
    if (head > 0 && after[head - 1].isHighSurrogate())
        --head;
    if (tail > 0 && after[after.size() - tail].isLowSurrogate())
        --tail;

    Fit fit;
    fit.text = after;
    fit.start = int(head);
    fit.end = int(after.size() - tail);
    fit.kept = after.sliced(head, after.size() - head - tail);
    fit.cursor = fit.end;
    fit.removed = before.size() - head - tail > 0;
    const QStringView inserted = QStringView(after).sliced(head, after.size() - head - tail);
    if (inserted.isEmpty())
        return fit;

    const QString prefix = after.first(head);
    const QString suffix = after.last(tail);
    const auto storedSize = [this](const QString &shown) {
        return shown == m_initialShown ? m_original.size() : preservingBytes(toStored(shown)).size();
    };

    qsizetype budget = m_maxBytes - storedSize(prefix + suffix);
    QString kept;
    qsizetype examined = 0;
    for (qsizetype i = 0; i < inserted.size();) {
        const QStringView codePoint = inserted.sliced(i, codePointLength(inserted, i));
        i += codePoint.size();
        if (++examined > m_maxBytes + ExaminedBeyondLimit) {
            fit.cut = true;
            break;
        }
        qsizetype size = 0;
        if (m_crLfLines && codePoint == lineBreak()) {
            size = 2;
        } else if (codePoint.size() == 1 && codePoint[0].unicode() < 0x80) {
            size = 1;
        } else {
            const ShiftJisEncoded encoded = ShiftJisText::encode(codePoint, 4);
            if (!encoded.isExact()) {
                fit.refused = true;
                continue;
            }
            size = encoded.bytes.size();
        }
        if (size > budget) {
            fit.cut = true;
            break;
        }
        kept += codePoint;
        budget -= size;
    }

    // Bytes kept for untouched characters can make the sum differ slightly
    // from the estimate; the stored size decides.
    while (!kept.isEmpty() && storedSize(prefix + kept + suffix) > m_maxBytes) {
        kept.chop(kept.size() >= 2 && kept.back().isLowSurrogate() ? 2 : 1);
        fit.cut = true;
    }

    if (kept.isEmpty() && fit.removed) {
        // Nothing of what replaced a selection can be stored: the edit is
        // undone rather than losing the selected text.
        fit.kept = before.sliced(head, before.size() - head - tail);
        fit.text = before;
        fit.cursor = int(head);
        fit.changed = true;
        fit.removed = false;
        return fit;
    }
    fit.text = prefix + kept + suffix;
    fit.cursor = int(head + kept.size());
    fit.kept = kept;
    fit.changed = fit.text != after;
    return fit;
}
