#include "operations/DecodedNameRename.h"

#include "operations/FileWorkProgress.h"
#include "platform/FileError.h"
#include "platform/NoReplaceRename.h"
#include "replay/ShiftJisText.h"

#include <QFile>

namespace {

// The reason as a clause, to go in parentheses.
QString clause(const FileError &error)
{
    QString text = error.reasonText();
    if (text.endsWith(u'。'))
        text.chop(1);
    return text;
}

} // namespace

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

QList<DecodedNameRename::Result> DecodedNameRename::run(FileWorkProgress *progress) const
{
    const QByteArray folder = QFile::encodeName(m_folder);
    QList<Result> results;
    for (const QByteArray &name : m_names) {
        Result result;
        result.name = name;
        result.newName = decodedName(name, &result.reason);
        if (progress)
            progress->beginFile(int(results.size()), int(m_names.size()),
                                result.newName.isEmpty() ? QFile::decodeName(name) : result.newName);
        if (FileWorkProgress::isCancelled(progress))
            break;
        if (!result.newName.isEmpty()) {
            using Cause = FileError::Cause;
            const FileError error =
                renameNoReplace(folder + name, folder + QFile::encodeName(result.newName));
            result.renamed = !error.failed();
            if (error.cause == Cause::Exists)
                result.reason = QStringLiteral("同じ名前のファイル「%1」が既にあります").arg(result.newName);
            else if (error.cause == Cause::Missing)
                result.reason = QStringLiteral("ファイルが見つかりません");
            else if (error.cause == Cause::NameTooLong)
                result.reason = QStringLiteral("新しい名前が長すぎます");
            else if (error.failed())
                result.reason = QStringLiteral("名前を変更できません（%1）").arg(clause(error));
        }
        results.append(result);
    }
    return results;
}
