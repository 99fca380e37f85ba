#pragma once

#include <QByteArray>
#include <QString>

// A settings file in INI form, Shift-JIS text with CR LF line ends, read and
// written with the usual profile-file rules: section and key names match
// without regard to letter case; a missing file, section or key reads as the
// default; values are cut at 2047 bytes; writing a key replaces its line in
// place or adds it at the end of its section (the section at the end of the
// file when missing); every other line is kept as it was.
class IniFile {
public:
    explicit IniFile(const QString &path);

    QString readString(const QString &section, const QString &key, const QString &defaultValue = {}) const;

    // Writes the key and saves the file at once. False when the file cannot
    // be written or a name or the value cannot be represented in Shift-JIS;
    // the file is then unchanged.
    bool writeString(const QString &section, const QString &key, const QString &value);

    QString path() const { return m_path; }

private:
    QString m_path;
};
