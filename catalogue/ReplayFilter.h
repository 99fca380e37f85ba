#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

struct ReplayInfo;

// What the storage filter box asks for: the words typed, matched against one
// text per replay. Both sides are folded the same way, NFKC and then case
// folding, so letter case and width do not matter ("ＡＢＣ" finds "abc",
// half-width "ｶﾞﾙﾄ" finds "ガルト"). Words are separated by blanks, ASCII or
// ideographic; a replay matches when its text holds every word.
class ReplayFilter {
public:
    ReplayFilter() = default;
    explicit ReplayFilter(const QString &typed);

    // True when nothing but blanks was typed: every replay matches.
    bool isEmpty() const { return m_words.isEmpty(); }
    const QStringList &words() const { return m_words; }

    // haystack is a text made by haystackOf().
    bool matches(QStringView haystack) const;

    static QString fold(const QString &text);

    // The folded text a replay is searched in: its file name, player name,
    // comment, dungeon name and character name, one per line, so that no
    // word (which never holds a line break) can match across two of them.
    static QString haystackOf(const QString &fileName, const ReplayInfo &info);

private:
    QStringList m_words;
};
