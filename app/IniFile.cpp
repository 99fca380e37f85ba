#include "app/IniFile.h"

#include "platform/FileSystem.h"
#include "platform/RegularFile.h"
#include "replay/ShiftJisText.h"

#include <QFile>
#include <QSaveFile>

#include <vector>

// The file is kept as bytes: only the lines a write changes are rebuilt, every
// other line (its bytes and its line end) is written back exactly as read.
// Names are compared on their decoded text, so "tarnel" finds "[TARNEL]" and
// full-width names match the same way.

namespace {

constexpr qsizetype MaxValueBytes = 2047;

struct Line {
    QByteArray text; // without the line end
    QByteArray eol;  // "\r\n", "\n" or empty for a last line without one
};

std::vector<Line> splitLines(const QByteArray &bytes)
{
    std::vector<Line> lines;
    qsizetype start = 0;
    while (start < bytes.size()) {
        const qsizetype nl = bytes.indexOf('\n', start);
        Line line;
        if (nl < 0) {
            line.text = bytes.mid(start);
            start = bytes.size();
        } else {
            qsizetype end = nl;
            if (end > start && bytes[end - 1] == '\r')
                --end;
            line.text = bytes.mid(start, end - start);
            line.eol = bytes.mid(end, nl + 1 - end);
            start = nl + 1;
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// Neither a space nor a tab can be the second byte of a double-byte
// character, so trimming bytes never splits one.
QByteArray trimmed(QByteArrayView bytes)
{
    qsizetype b = 0;
    qsizetype e = bytes.size();
    while (b < e && isBlank(bytes[b]))
        ++b;
    while (e > b && isBlank(bytes[e - 1]))
        --e;
    return bytes.sliced(b, e - b).toByteArray();
}

QString decode(QByteArrayView bytes)
{
    return ShiftJisText::decode(bytes);
}

// The Shift-JIS bytes of text, or nothing when text has no exact Shift-JIS
// form (a character outside the code page, or one the code page maps to a
// different character on the way back).
std::optional<QByteArray> encodeExactly(const QString &text)
{
    // Two bytes a UTF-16 unit always suffice for what can be encoded.
    ShiftJisEncoded encoded = ShiftJisText::encode(text, int(qMin<qsizetype>(text.size() * 2, 1 << 30)));
    if (!encoded.isExact())
        return std::nullopt;
    return std::move(encoded.bytes);
}

bool sameName(QByteArrayView stored, const QString &wanted)
{
    return decode(stored).compare(wanted, Qt::CaseInsensitive) == 0;
}

// The section name of a header line "[name]", or nothing for another line.
std::optional<QByteArray> sectionName(const QByteArray &line)
{
    const QByteArray t = trimmed(line);
    if (!t.startsWith('['))
        return std::nullopt;
    const qsizetype close = t.lastIndexOf(']');
    if (close < 0)
        return std::nullopt;
    return trimmed(QByteArrayView(t).sliced(1, close - 1));
}

struct KeyLine {
    QByteArray key;
    QByteArray value;
};

std::optional<KeyLine> keyLine(const QByteArray &line)
{
    const qsizetype eq = line.indexOf('=');
    if (eq < 0)
        return std::nullopt;
    const QByteArray key = trimmed(QByteArrayView(line).first(eq));
    if (key.isEmpty())
        return std::nullopt;
    return KeyLine{key, trimmed(QByteArrayView(line).sliced(eq + 1))};
}

// Where a section and a key were found in the lines.
struct Location {
    std::optional<size_t> section; // index of the header line
    std::optional<size_t> key;     // index of the key line
    size_t lastKeyLine = 0;        // the section's last key line, or its header
};

Location locate(const std::vector<Line> &lines, const QString &section, const QString &key)
{
    Location loc;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::optional<QByteArray> name = sectionName(lines[i].text);
        if (!loc.section) {
            if (name && sameName(*name, section)) {
                loc.section = i;
                loc.lastKeyLine = i;
            }
            continue;
        }
        if (name)
            break; // the next section starts
        if (const std::optional<KeyLine> kl = keyLine(lines[i].text)) {
            loc.lastKeyLine = i;
            if (sameName(kl->key, key)) {
                loc.key = i;
                break;
            }
        }
    }
    return loc;
}

// A value read is at most MaxValueBytes long. Rather than end on the first
// byte of a double-byte character, the cut drops that byte as well.
QByteArray cutValue(const QByteArray &value)
{
    if (value.size() <= MaxValueBytes)
        return value;
    qsizetype end = 0;
    while (end < MaxValueBytes) {
        const uchar b = uchar(value[end]);
        const bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
        const qsizetype unit = lead ? 2 : 1;
        if (end + unit > MaxValueBytes)
            break;
        end += unit;
    }
    return value.first(end);
}

// The value of a key line as read: blanks and matching quotes around it are
// not part of it, and it is cut at MaxValueBytes.
QByteArray storedValue(const QByteArray &line)
{
    QByteArray value = keyLine(line)->value;
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.sliced(1, value.size() - 2);
    return cutValue(value);
}

enum class Load { Read, Missing, Failed };

// Reads the whole file; only a regular file is opened, so a FIFO in its place
// cannot stall the program.
Load loadFile(const QString &path, QByteArray *bytes)
{
    QFile file;
    const RegularFile::Result opened = RegularFile::open(file, path);
    if (opened.refusal == RegularFile::Refusal::Missing)
        return Load::Missing;
    if (!opened)
        return Load::Failed;
    *bytes = file.readAll();
    return file.error() == QFileDevice::NoError ? Load::Read : Load::Failed;
}

// Writes content over the file in place, for when no new file can be made
// beside it. Nothing is cut off before the new bytes are down, so after a
// failed write the old bytes can go back into room the file already has.
bool overwriteInPlace(const QString &path, const QByteArray &old, const QByteArray &content)
{
    QFile file;
    if (!RegularFile::open(file, path, QIODevice::ReadWrite | QIODevice::Unbuffered))
        return false;
    const auto put = [&file](const QByteArray &bytes) {
        return file.seek(0) && file.write(bytes) == bytes.size() && file.resize(bytes.size())
            && file.size() == bytes.size() && FileSystem::flushToDisk(file);
    };
    if (put(content))
        return true;
    put(old);
    return false;
}

// Characters that would break the line structure of the file.
bool breaksLine(const QString &text)
{
    return text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r')) || text.contains(QChar(u'\0'));
}

} // namespace

IniFile::IniFile(const QString &path)
    : m_path(path)
{
}

QString IniFile::readString(const QString &section, const QString &key, const QString &defaultValue) const
{
    const std::optional<QByteArray> bytes = readBytes(section, key);
    return bytes ? decode(*bytes) : defaultValue;
}

std::optional<QByteArray> IniFile::readBytes(const QString &section, const QString &key) const
{
    QByteArray content;
    if (loadFile(m_path, &content) != Load::Read)
        return std::nullopt;
    const std::vector<Line> lines = splitLines(content);
    const Location loc = locate(lines, section, key);
    if (!loc.key)
        return std::nullopt;
    return storedValue(lines[*loc.key].text);
}

bool IniFile::writeString(const QString &section, const QString &key, const QString &value)
{
    if (section.trimmed().isEmpty() || key.trimmed().isEmpty() || breaksLine(section) || breaksLine(key)
        || breaksLine(value) || section.contains(QLatin1Char(']')) || key.contains(QLatin1Char('=')))
        return false;
    const std::optional<QByteArray> sectionBytes = encodeExactly(section.trimmed());
    const std::optional<QByteArray> keyBytes = encodeExactly(key.trimmed());
    if (!sectionBytes || !keyBytes)
        return false;

    // An existing file that cannot be read (or is no regular file) must not
    // be replaced by a file holding only the new key.
    QByteArray old;
    const Load loaded = loadFile(m_path, &old);
    if (loaded == Load::Failed)
        return false;

    std::vector<Line> lines = splitLines(old);
    const Location loc = locate(lines, section.trimmed(), key.trimmed());
    // A value that already reads as the new one keeps its line untouched:
    // its bytes may differ from what encoding would give (quotes, blanks, a
    // duplicate code, a value longer than is read).
    if (loc.key && decode(storedValue(lines[*loc.key].text)) == value)
        return true;
    const std::optional<QByteArray> valueBytes = encodeExactly(value);
    if (!valueBytes)
        return false;

    static const QByteArray crlf = QByteArrayLiteral("\r\n");
    if (loc.key) {
        Line &line = lines[*loc.key];
        line.text = keyLine(line.text)->key + '=' + *valueBytes;
    } else if (loc.section) {
        Line &after = lines[loc.lastKeyLine];
        if (after.eol.isEmpty())
            after.eol = crlf;
        lines.insert(lines.begin() + qsizetype(loc.lastKeyLine) + 1, Line{*keyBytes + '=' + *valueBytes, crlf});
    } else {
        if (!lines.empty() && lines.back().eol.isEmpty())
            lines.back().eol = crlf;
        lines.push_back(Line{'[' + *sectionBytes + ']', crlf});
        lines.push_back(Line{*keyBytes + '=' + *valueBytes, crlf});
    }

    QByteArray content;
    content.reserve(old.size() + valueBytes->size() + 64);
    for (const Line &line : lines)
        content += line.text + line.eol;

    // Unbuffered, so that a short write (full disk) is seen here: with a
    // buffer, the last bytes are flushed by commit(), which does not report
    // a short write and would leave a cut settings file behind.
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return loaded == Load::Read && overwriteInPlace(m_path, old, content);
    if (file.write(content) != content.size() || file.size() != content.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
