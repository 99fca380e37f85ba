#include "operations/DecodedNameRename.h"

#include "platform/FileSystem.h"
#include "replay/ShiftJisText.h"

#include <QFile>

QString DecodedNameRename::decodedName(const QByteArray &name, QString *reason)
{
    const auto refuse = [reason](const QString &why) {
        if (reason)
            *reason = why;
        return QString();
    };
    if (ShiftJisText::isUtf8(name))
        return refuse(QStringLiteral("ファイル名は UTF-8 です"));
    const QString decoded = ShiftJisText::decode(name);
    for (const QChar c : decoded) {
        if (c == QChar::ReplacementCharacter || c.unicode() < 0x20 || c.unicode() == 0x7f)
            return refuse(QStringLiteral("ファイル名を Shift-JIS として正しく読めません"));
    }
    if (decoded.isEmpty() || decoded.startsWith(u'.'))
        return refuse(QStringLiteral("ファイル名を Shift-JIS として正しく読めません"));
    if (reason)
        reason->clear();
    return decoded;
}

DecodedNameRename::DecodedNameRename(QString folder, QList<QByteArray> names)
    : m_folder(std::move(folder))
    , m_names(std::move(names))
{
}

QList<DecodedNameRename::Result> DecodedNameRename::run() const
{
    const QByteArray folder = QFile::encodeName(m_folder);
    QList<Result> results;
    for (const QByteArray &name : m_names) {
        Result result;
        result.name = name;
        result.newName = decodedName(name, &result.reason);
        if (!result.newName.isEmpty()) {
            using FileSystem::RenameOutcome;
            const FileSystem::RenameResult renamed =
                FileSystem::renameNoReplace(folder + name, folder + QFile::encodeName(result.newName));
            result.renamed = renamed.outcome == RenameOutcome::Renamed;
            if (renamed.outcome == RenameOutcome::Exists)
                result.reason = QStringLiteral("同じ名前のファイル「%1」が既にあります").arg(result.newName);
            else if (renamed.outcome == RenameOutcome::Missing)
                result.reason = QStringLiteral("ファイルが見つかりません");
            else if (renamed.outcome == RenameOutcome::NameTooLong)
                result.reason = QStringLiteral("新しい名前が長すぎます");
            else if (!result.renamed)
                result.reason = QStringLiteral("名前を変更できません（%1）").arg(renamed.systemText);
        }
        results.append(result);
    }
    return results;
}
