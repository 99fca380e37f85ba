#include "operations/ReplayDropImport.h"

#include "operations/CopyTargetName.h"
#include "operations/ReplayCopyJob.h"
#include "platform/RegularFile.h"
#include "replay/ReplayInfo.h"
#include "replay/ReplayStreamReader.h"

#include <QFile>
#include <QFileInfo>

namespace {

QString refusal(const QString &name, const QString &why)
{
    return QStringLiteral("%1（%2）").arg(name, why);
}

// Empty when the file reads as a replay, else why not.
QString replayRefusal(const QString &path)
{
    QFile file;
    const RegularFile::Result opened = RegularFile::open(file, path);
    if (!opened)
        return RegularFile::reasonText(opened);
    ReplayInfo info{};
    if (ReadReplayStream(file, info) == -1 || !hasReplayPrefix(info))
        return QStringLiteral("リプレイファイルではありません");
    return {};
}

} // namespace

ReplayDropImport::ReplayDropImport(const QList<QUrl> &urls, const QString &storageDir)
    : m_storageDir(storageDir)
{
    for (const QUrl &url : urls) {
        if (!url.isLocalFile()) {
            m_refused.append(refusal(url.toDisplayString(), QStringLiteral("ローカルのファイルではありません")));
            continue;
        }
        const QString path = url.toLocalFile();
        if (m_replays.contains(path))
            continue;
        const QFileInfo info(path);
        if (info.isDir()) {
            m_refused.append(refusal(info.fileName(), QStringLiteral("フォルダです")));
            continue;
        }
        if (targetName(path).startsWith(QLatin1Char('.'))) { // no listing would show it
            m_refused.append(refusal(info.fileName(), QStringLiteral("「.」で始まる名前は一覧に表示されません")));
            continue;
        }
        const QString why = replayRefusal(path);
        if (!why.isEmpty()) {
            m_refused.append(refusal(info.fileName(), why));
            continue;
        }
        if (isSameFile(path, m_storageDir + targetName(path))) {
            m_refused.append(refusal(info.fileName(), QStringLiteral("既に格納フォルダにあります")));
            continue;
        }
        m_replays.append(path);
    }
}

QString ReplayDropImport::message(const Result &result) const
{
    const QStringList notCopied = m_refused + result.failures;
    if (notCopied.isEmpty())
        return {};
    return QStringLiteral("次のファイルは格納フォルダにコピーしませんでした。\n\n%1").arg(notCopied.join(QLatin1Char('\n')));
}

QString ReplayDropImport::targetName(const QString &path)
{
    return copyTargetFileName(QFileInfo(path).fileName());
}

ReplayDropImport::Result ReplayDropImport::run(Prompter &prompter, QWidget *owner) const
{
    Result result;
    for (const QString &path : m_replays) {
        const QString name = targetName(path);
        const CopyResult copy = ReplayCopyJob(path, m_storageDir + name).run(prompter, owner);
        if (copy.outcome == CopyResult::Outcome::Copied)
            ++result.copied;
        else if (copy.outcome == CopyResult::Outcome::Failed)
            result.failures.append(QStringLiteral("%1：%2").arg(name, copy.reason));
    }
    return result;
}
