#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// A settings file in INI form, Shift-JIS text with CR LF line ends, read and
// written with the usual profile-file rules: section and key names match
// without regard to letter case; a missing file, section or key reads as the
// default; values are cut at 2047 bytes; writing a key replaces its line in
// place or adds it at the end of its section (the section at the end of the
// file when missing); every other line is kept as it was, byte for byte.
class IniFile {
public:
    explicit IniFile(const QString &path);

    QString readString(const QString &section, const QString &key, const QString &defaultValue = {}) const;

    // The value's bytes as stored (blanks and quotes around it dropped, cut at
    // 2047 bytes), or nothing when the file, section or key is missing.
    std::optional<QByteArray> readBytes(const QString &section, const QString &key) const;

    // Writes the key and saves the file at once. A key whose stored value
    // already reads as value keeps its line untouched, and a file that would
    // not change is not written. When no new file can be made beside the old
    // one (a read-only folder), the old file is overwritten in place. False
    // when the file cannot be written or a name or the value cannot be
    // represented in Shift-JIS; the file is then unchanged.
    bool writeString(const QString &section, const QString &key, const QString &value);

    QString path() const { return m_path; }

private:
    QString m_path;
};
