#include "catalogue/ReplayFilter.h"

#include "replay/ContentTables.h"
#include "replay/ReplayInfo.h"
#include "replay/ShiftJisText.h"

ReplayFilter::ReplayFilter(const QString &typed)
{
    // After folding, the ideographic space is an ASCII one.
    const QString folded = fold(typed);
    qsizetype start = -1;
    for (qsizetype i = 0; i <= folded.size(); ++i) {
        const bool blank = i == folded.size() || folded.at(i).isSpace();
        if (blank && start >= 0) {
            m_words.append(folded.mid(start, i - start));
            start = -1;
        } else if (!blank && start < 0) {
            start = i;
        }
    }
}

bool ReplayFilter::matches(QStringView haystack) const
{
    for (const QString &word : m_words) {
        if (!haystack.contains(word))
            return false;
    }
    return true;
}

QString ReplayFilter::fold(const QString &text)
{
    return text.normalized(QString::NormalizationForm_KC).toCaseFolded();
}

QString ReplayFilter::haystackOf(const QString &fileName, const ReplayInfo &info)
{
    const QChar separator = QLatin1Char('\n');
    QString text = fileName;
    text += separator;
    text += ShiftJisText::decodeField(info.PlayerName, PlayerNameSize);
    text += separator;
    text += ShiftJisText::decodeField(info.Comment, CommentSize);
    text += separator;
    text += DungeonName(info.Dungeon);
    text += separator;
    text += CharaName(info.Chara);
    return fold(text);
}
