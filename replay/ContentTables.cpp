#include "replay/ContentTables.h"


// "　" below is the full-width blank U+3000 and the episode digits are
// full-width; the texts must stay exactly as the game shows them.

const QString CharaNameTbl[CharaNameCount] = {
    QStringLiteral("ミルダ"),  QStringLiteral("ケイナ"),  QStringLiteral("ラドム"),
    QStringLiteral("ノエラ"),  QStringLiteral("ガルト"),  QStringLiteral("ユーマ"),
    QStringLiteral("unknown"), QStringLiteral("unknown"), QStringLiteral("unknown"),
    QStringLiteral("unknown"), QStringLiteral("unknown"), QStringLiteral("unknown"),
    QStringLiteral("unknown"), QStringLiteral("unknown"), QStringLiteral("unknown"),
};

const QString DungeonNameTbl[DungeonNameCount] = {
    QStringLiteral("ストーリー　第１話"),
    QStringLiteral("ストーリー　第２話"),
    QStringLiteral("ストーリー　第３話"),
    QStringLiteral("ストーリー　第４話"),
    QStringLiteral("ストーリー　第５話"),
    QStringLiteral("ストーリー　第６話"),
    QStringLiteral("ストーリー　第７話"),
    QStringLiteral("灰の塔"),
    QStringLiteral("古竜の回廊"),
    QStringLiteral("ザインの洞"),
    QStringLiteral("巨人の墓所"),
    QStringLiteral("月影の神殿"),
    QStringLiteral("ネフィルの書庫"),
    QStringLiteral("ヘイズダンジョン"),
    QStringLiteral("unknown"),
};

// The first eight end with a full-width blank so that the names run together
// readably; the last one does not.
const QString LimitPlayNameTbl[LimitPlayNameCount] = {
    QStringLiteral("草　"),   QStringLiteral("肉　"),   QStringLiteral("パン　"),
    QStringLiteral("矢　"),   QStringLiteral("マナ　"), QStringLiteral("巻物　"),
    QStringLiteral("杖　"),   QStringLiteral("指輪　"), QStringLiteral("スキル"),
};

const QString UnknownPlayDateText = QStringLiteral("----/--/-- --:--:--");

int charaIndex(qint32 chara)
{
    return chara >= 0 && chara < KnownCharaCount ? int(chara) : KnownCharaCount;
}

QString CharaName(qint32 chara)
{
    return CharaNameTbl[charaIndex(chara)];
}

int dungeonIndex(qint32 dungeon)
{
    return dungeon >= 0 && dungeon < KnownDungeonCount ? int(dungeon) : KnownDungeonCount;
}

QString DungeonName(qint32 dungeon)
{
    return DungeonNameTbl[dungeonIndex(dungeon)];
}

bool isCleared(qint32 dungeon, qint32 floor)
{
    const int d = dungeonIndex(dungeon);
    return d < KnownDungeonCount && floor > DungeonFloorTbl[d];
}

QString FormatFloor(qint32 dungeon, qint32 floor, FloorForm form)
{
    const QString text = isCleared(dungeon, floor) ? QStringLiteral("クリア")
                                                   : QString::number(floor) + QStringLiteral(" 階");
    return form == FloorForm::Panel ? QStringLiteral("　") + text : text;
}

QString FormatScore(qint32 score)
{
    // Widened first so that the magnitude of INT_MIN is representable.
    const qint64 wide = score;
    const QString digits = QString::number(wide < 0 ? -wide : wide);
    QString grouped;
    grouped.reserve(digits.size() + digits.size() / 3 + 1);
    const qsizetype n = digits.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            grouped += QLatin1Char(',');
        grouped += digits.at(i);
    }
    return wide < 0 ? QLatin1Char('-') + grouped : grouped;
}

QString FormatLocalTime(const std::tm *local)
{
    if (!local)
        return UnknownPlayDateText;
    const long long year = static_cast<long long>(local->tm_year) + 1900;
    if (year < 0 || year > 9999)
        return UnknownPlayDateText;
    return QString::asprintf("%04d/%02d/%02d %02d:%02d:%02d", int(year), local->tm_mon + 1,
                             local->tm_mday, local->tm_hour, local->tm_min, local->tm_sec);
}

QString FormatPlayDate(qint32 playDate)
{
    // The C library applies the machine's zone and its daylight-saving rules.
    const std::time_t seconds = static_cast<std::time_t>(playDate);
    std::tm local{};
#ifdef Q_OS_WIN
    // Windows refuses times before 1970 in the local zone: that is the
    // "cannot convert" case and shows the placeholder.
    if (localtime_s(&local, &seconds) != 0)
        return UnknownPlayDateText;
    return FormatLocalTime(&local);
#else
    tzset();
    return FormatLocalTime(localtime_r(&seconds, &local));
#endif
}

QString LimitPlayText(const qint32 (&limitPlay)[LimitPlayNameCount])
{
    QString text;
    for (int i = 0; i < LimitPlayNameCount; ++i) {
        if (limitPlay[i] == 1)
            text += LimitPlayNameTbl[i];
    }
    return text;
}
