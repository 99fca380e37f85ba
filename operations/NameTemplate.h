#pragma once

#include <QList>
#include <QString>

#include <functional>

struct ReplayInfo;

// What a file name is made from: a replay, the game slot it is in (-1 for a
// storage file) and the name of its file now.
struct NameSource {
    const ReplayInfo *replay = nullptr;
    int slot = -1;
    QString fileName;
};

// A template for the names of storage files: text with fields in braces,
// such as "{date}_{chara}_{dungeon}_{floor}". Every field has a key (how the
// settings file keeps it) and a Japanese name (how the player sees and types
// it); either spelling is read.
//
// The name made from it is always one safe file name of the storage folder:
// characters that no file name may hold (and those a Windows drive refuses)
// become "_", it never begins with "." or a blank, ends with ".dat", fits
// MaxNameBytes at a character boundary, and a name that is taken gets " (2)",
// " (3)", ... before ".dat".
class NameTemplate {
public:
    struct Field {
        QString key;   // as stored: "date"
        QString shown; // as shown: "日付"
        QString help;  // what it gives, for a tool tip
    };
    static const QList<Field> &fields();

    // The longest name made, in bytes of the file system's encoding: the
    // trash keeps a note named after a file and must be able to take it.
    static constexpr int MaxNameBytes = 240;
    // The longest template accepted, in characters.
    static constexpr int MaxTemplateLength = 200;

    // The default: names that sort by play date and time.
    NameTemplate();
    // Reads a template in either spelling; isValid() tells whether it can be used.
    static NameTemplate parse(const QString &text);
    static QString defaultText();

    bool isValid() const { return m_note.isEmpty(); }
    // Why the template cannot be used, for a note under the field; empty when it can.
    const QString &note() const { return m_note; }
    // The template with keys, as the settings file keeps it.
    QString storedText() const;
    // The template with Japanese field names, as the player edits it.
    QString shownText() const;

    // The name's stem for a replay, before it is made safe.
    QString stem(const NameSource &source) const;
    // The safe file name for a replay: the first of name, "name (2)", ...
    // that `taken` does not refuse; empty when none is free. suffixed tells
    // whether a number was added.
    QString fileName(const NameSource &source, const std::function<bool(const QString &)> &taken,
                     bool *suffixed = nullptr) const;

    // A stem made safe and fitted with its number (1: none) and ".dat";
    // fallback stands in for a stem that leaves nothing.
    static QString safeName(const QString &stem, const QString &fallback, int number);

private:
    struct Empty {};
    explicit NameTemplate(Empty) {}

    struct Part {
        QString literal;
        int field = -1; // index into fields(), or -1 for literal text
    };
    QList<Part> m_parts;
    QString m_note;
};
