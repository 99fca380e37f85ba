#include "operations/NameTemplate.h"

#include "replay/ContentTables.h"
#include "replay/ReplayInfo.h"
#include "replay/ShiftJisText.h"

#include <QFile>

#include <utility>

namespace {

enum FieldIndex { Date, Time, Chara, Dungeon, Floor, Score, Player, Slot, Version, OldName };

const QLatin1StringView DatSuffix(".dat");

// Characters no file name may hold here ("/"), and those a Windows drive (or
// a FAT-formatted stick on this system) refuses: a name must survive a copy
// to either.
bool isForbidden(QChar c)
{
    static const QString refused = QStringLiteral("/\\:*?\"<>|");
    return c.unicode() < 0x20 || c.unicode() == 0x7f || (c.unicode() >= 0x80 && c.unicode() < 0xa0)
        || refused.contains(c);
}

QString replaceForbidden(const QString &text)
{
    QString safe = text;
    for (QChar &c : safe) {
        if (isForbidden(c))
            c = u'_';
    }
    return safe;
}

bool isBlank(QChar c)
{
    return c.isSpace() || c == QChar(0x3000);
}

// Without blanks at either end and without leading dots (a hidden name, or "." and "..").
QString trimmedStem(QString stem)
{
    for (;;) {
        const qsizetype before = stem.size();
        while (!stem.isEmpty() && (isBlank(stem.front()) || stem.front() == u'.'))
            stem.remove(0, 1);
        while (!stem.isEmpty() && isBlank(stem.back()))
            stem.chop(1);
        if (stem.size() == before)
            return stem;
    }
}

qsizetype nameBytes(const QString &name)
{
    return QFile::encodeName(name).size();
}

// The stem cut, at a character boundary, so that it takes at most `bytes`.
QString cutToBytes(const QString &stem, qsizetype bytes)
{
    if (nameBytes(stem) <= bytes)
        return stem;
    QString cut;
    qsizetype used = 0;
    for (qsizetype i = 0; i < stem.size();) {
        const qsizetype length = stem[i].isHighSurrogate() && i + 1 < stem.size() ? 2 : 1;
        const qsizetype size = nameBytes(stem.mid(i, length));
        if (used + size > bytes)
            break;
        cut += stem.mid(i, length);
        used += size;
        i += length;
    }
    return cut;
}

QString withoutDat(const QString &name)
{
    return name.endsWith(DatSuffix, Qt::CaseInsensitive) ? name.chopped(DatSuffix.size()) : name;
}

QString fieldText(int field, const NameSource &source)
{
    const ReplayInfo *replay = source.replay;
    if (field == Slot)
        return source.slot >= 0 ? QString::number(source.slot) : QString();
    if (field == OldName)
        return withoutDat(source.fileName);
    if (!replay)
        return {};
    switch (field) {
    case Date:
    case Time: {
        // As the tables show it, "YYYY/MM/DD hh:mm:ss" in local time.
        const QString shown = FormatPlayDate(replay->PlayDate);
        return field == Date ? shown.left(10).replace(u'/', u'-') : shown.right(8).replace(u':', u'-');
    }
    case Chara:
        return CharaName(replay->Chara);
    case Dungeon:
        return DungeonName(replay->Dungeon);
    case Floor:
        return isCleared(replay->Dungeon, replay->Floor) ? QStringLiteral("クリア")
                                                         : QString::number(replay->Floor) + u'階';
    case Score:
        return QString::number(replay->Score);
    case Player:
        return ShiftJisText::decodeField(replay->PlayerName, PlayerNameSize);
    case Version: {
        QString version = QString::fromLatin1(versionText(*replay));
        if (version.startsWith(QLatin1StringView("QVreplay")))
            version.remove(0, 8);
        return version.trimmed();
    }
    default:
        return {};
    }
}

} // namespace

const QList<NameTemplate::Field> &NameTemplate::fields()
{
    // In FieldIndex order.
    static const QList<Field> list{
        {QStringLiteral("date"), QStringLiteral("日付"), QStringLiteral("プレイした日付（2024-05-01）")},
        {QStringLiteral("time"), QStringLiteral("時刻"), QStringLiteral("プレイした時刻（21-03-09）")},
        {QStringLiteral("chara"), QStringLiteral("キャラクター"), QStringLiteral("キャラクター名")},
        {QStringLiteral("dungeon"), QStringLiteral("ダンジョン"), QStringLiteral("ダンジョン名")},
        {QStringLiteral("floor"), QStringLiteral("階層"), QStringLiteral("到達した階（15階）、またはクリア")},
        {QStringLiteral("score"), QStringLiteral("スコア"), QStringLiteral("スコア（区切りなしの数字）")},
        {QStringLiteral("player"), QStringLiteral("プレイヤー名"), QStringLiteral("リプレイに保存されたプレイヤー名")},
        {QStringLiteral("slot"), QStringLiteral("スロット"), QStringLiteral("スロットの番号（0～9）。格納フォルダのリプレイでは空")},
        {QStringLiteral("version"), QStringLiteral("バージョン"), QStringLiteral("リプレイのバージョン（Ver107）")},
        {QStringLiteral("name"), QStringLiteral("元の名前"), QStringLiteral("今のファイル名（.dat を除く）")},
    };
    return list;
}

QString NameTemplate::defaultText()
{
    return QStringLiteral("{date}_{time}_{chara}_{dungeon}_{floor}");
}

NameTemplate::NameTemplate()
    : NameTemplate(parse(defaultText()))
{
}

NameTemplate NameTemplate::parse(const QString &text)
{
    NameTemplate parsed{Empty{}};
    const auto refuse = [&parsed](const QString &note) {
        if (parsed.m_note.isEmpty())
            parsed.m_note = note;
    };
    QString literal;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype close = text[i] == u'{' ? text.indexOf(u'}', i + 1) : -1;
        if (close < 0) {
            literal += text[i];
            continue;
        }
        const QString name = text.mid(i + 1, close - i - 1);
        int field = -1;
        for (int f = 0; f < fields().size(); ++f) {
            if (name == fields()[f].key || name == fields()[f].shown)
                field = f;
        }
        if (field < 0) {
            refuse(QStringLiteral("「{%1}」という項目はありません。").arg(name));
            literal += text.mid(i, close - i + 1);
        } else {
            if (!literal.isEmpty())
                parsed.m_parts.append(Part{std::exchange(literal, QString()), -1});
            parsed.m_parts.append(Part{{}, field});
        }
        i = close;
    }
    if (!literal.isEmpty())
        parsed.m_parts.append(Part{literal, -1});

    bool anyField = false;
    QString literals;
    for (const Part &part : std::as_const(parsed.m_parts)) {
        anyField = anyField || part.field >= 0;
        literals += part.literal;
    }
    for (const QChar c : std::as_const(literals)) {
        if (isForbidden(c))
            refuse(c.unicode() < 0x20 || c.unicode() == 0x7f
                       ? QStringLiteral("制御文字はファイル名に使えません。")
                       : QStringLiteral("「%1」はファイル名に使えません。").arg(c));
    }
    // The settings file is Shift-JIS: a character it cannot hold would not
    // come back at the next start.
    for (const QChar c : std::as_const(literals)) {
        if (!c.isSurrogate() && !ShiftJisText::encode(QString(c), 4).isExact())
            refuse(QStringLiteral("「%1」は設定ファイルに保存できない文字です。").arg(c));
        else if (c.isSurrogate())
            refuse(QStringLiteral("設定ファイルに保存できない文字が含まれています。"));
    }
    if (text.trimmed().isEmpty())
        refuse(QStringLiteral("形式が空です。"));
    else if (!anyField && trimmedStem(withoutDat(literals)).isEmpty())
        refuse(QStringLiteral("この形式ではファイル名になりません。"));
    if (text.size() > MaxTemplateLength)
        refuse(QStringLiteral("形式が長すぎます（%1文字まで）。").arg(MaxTemplateLength));
    return parsed;
}

QString NameTemplate::storedText() const
{
    QString text;
    for (const Part &part : m_parts)
        text += part.field >= 0 ? u'{' + fields()[part.field].key + u'}' : part.literal;
    return text;
}

QString NameTemplate::shownText() const
{
    QString text;
    for (const Part &part : m_parts)
        text += part.field >= 0 ? u'{' + fields()[part.field].shown + u'}' : part.literal;
    return text;
}

QString NameTemplate::stem(const NameSource &source) const
{
    QString text;
    for (const Part &part : m_parts)
        text += part.field >= 0 ? replaceForbidden(fieldText(part.field, source)) : part.literal;
    return text;
}

QString NameTemplate::safeName(const QString &stem, const QString &fallback, int number)
{
    const auto clean = [](const QString &text) { return trimmedStem(withoutDat(trimmedStem(replaceForbidden(text)))); };
    QString safe = clean(stem);
    if (safe.isEmpty())
        safe = clean(fallback);
    if (safe.isEmpty())
        safe = QStringLiteral("replay");
    const QString tail = (number > 1 ? QStringLiteral(" (%1)").arg(number) : QString()) + DatSuffix;
    QString fitted = cutToBytes(safe, MaxNameBytes - nameBytes(tail));
    // A cut may leave a blank at the end, before the number.
    while (!fitted.isEmpty() && isBlank(fitted.back()))
        fitted.chop(1);
    return (fitted.isEmpty() ? QStringLiteral("replay") : fitted) + tail;
}

QString NameTemplate::fileName(const NameSource &source, const std::function<bool(const QString &)> &taken,
                               bool *suffixed) const
{
    constexpr int MaxNumber = 9999;
    const QString made = stem(source);
    for (int number = 1; number <= MaxNumber; ++number) {
        const QString name = safeName(made, source.fileName, number);
        if (!taken || !taken(name)) {
            if (suffixed)
                *suffixed = number > 1;
            return name;
        }
    }
    return {};
}
