#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

// Keeps the text of an edit field within the bytes of a fixed-width
// Shift-JIS field of a replay, and gives the bytes to store for it.
//
// Characters the user did not touch keep their original bytes, even where
// decoding and encoding again would give other bytes or none (a duplicate
// code, an undecodable byte shown as U+FFFD); only what was typed or pasted
// is encoded anew.
class ShiftJisFieldLimit {
public:
    // original: the stored bytes up to the first NUL. crLfLines: line breaks
    // are stored as CR LF and shown as "\n" (the comment).
    ShiftJisFieldLimit(const QByteArray &original, int maxBytes, bool crLfLines);

    int maxBytes() const { return m_maxBytes; }

    // The text to show for the original bytes.
    QString shownText() const;

    // Tells what the field shows right after being given shownText() (a
    // widget may normalise it): that text counts as unchanged.
    void setInitialShown(const QString &shown) { m_initialShown = shown; }

    // The bytes to store for a shown text: the original bytes when it is the
    // initial text; else the original bytes of the unchanged characters at
    // both ends and the rest encoded. Never longer than maxBytes (fit() keeps
    // texts within it; a longer text is cut at a character boundary).
    QByteArray bytesFor(const QString &shown) const;

    struct Fit {
        QString text;         // what the field should show
        int start = 0;        // the inserted stretch of the edited text: [start, end)
        int end = 0;
        QString kept;         // what text holds in its place
        int cursor = 0;       // cursor position after the kept insertion
        bool changed = false; // text differs from the edited text
        bool removed = false; // the edit took characters away
        bool cut = false;     // part of the insertion did not fit
        bool refused = false; // a character without a Shift-JIS form was left out
    };

    // The edit from `before` (a text within the limit) to `after`, with the
    // inserted characters that cannot be stored left out: those without a
    // Shift-JIS form, and everything from the first character that no longer
    // fits. Deletions are kept, except that a selection replaced by nothing
    // that can be stored is restored.
    Fit fit(const QString &before, const QString &after) const;

private:
    struct Unit {
        QByteArray bytes;
        QString text;
    };

    QString toStored(const QString &shown) const;
    QByteArray preservingBytes(const QString &stored) const;

    QByteArray m_original;
    QString m_originalText; // decoded, line breaks as stored
    std::vector<Unit> m_units; // empty when the bytes do not split cleanly
    int m_maxBytes;
    bool m_crLfLines;
    QString m_initialShown;
};
