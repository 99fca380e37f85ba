#pragma once

#include <QString>
#include <QStringList>

// A message that names files, one line each. Its text shows the first
// ShownLines of them and how many more there are; its details, which the
// box folds away, hold every line. So a message about a thousand files
// still fits on the screen.
struct FileListMessage {
    static constexpr qsizetype ShownLines = 10;

    QString text;    // empty: nothing to say
    QString details; // empty when the text shows every line

    // heading, a blank line, then the lines; nothing at all without lines.
    static FileListMessage of(const QString &heading, const QStringList &lines);
    // The first ShownLines of lines, then "…ほか n 件" when there are more.
    static QString shownLines(const QStringList &lines);
    // Every line, when shownLines() leaves some out; else nothing.
    static QString detailLines(const QStringList &lines);

    bool isEmpty() const { return text.isEmpty(); }
};
