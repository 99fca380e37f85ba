#include "operations/ReplayDropImport.h"

#include "operations/CopyTargetName.h"
#include "operations/FileWorkProgress.h"
#include "operations/ReplayCheck.h"
#include "platform/RegularFile.h"

#include <QFile>
#include <QFileInfo>

namespace {

QString refusal(const QString &name, const QString &why)
{
    return QStringLiteral("%1（%2）").arg(name, why);
}

// A file on this computer: "file:" with no host, or this one by name.
bool isLocalFile(const QUrl &url)
{
    return url.isLocalFile()
        && (url.host().isEmpty() || url.host().compare(QLatin1StringView("localhost"), Qt::CaseInsensitive) == 0);
}

} // namespace

ReplayDropImport::ReplayDropImport(const QList<QUrl> &urls, const QString &storageDir, FileWorkProgress *progress)
    : m_storageDir(storageDir)
{
    for (qsizetype i = 0; i < urls.size(); ++i) {
        const QUrl &url = urls[i];
        if (!isLocalFile(url)) {
            m_refused.append(refusal(url.toDisplayString(), QStringLiteral("ローカルのファイルではありません")));
            continue;
        }
        const QString path = url.toLocalFile();
        if (m_replays.contains(path))
            continue;
        const QFileInfo info(path);
        if (progress)
            progress->beginFile(int(i), int(urls.size()), info.fileName());
        if (info.isDir()) {
            m_refused.append(refusal(info.fileName(), QStringLiteral("フォルダです")));
            continue;
        }
        if (targetName(path).startsWith(QLatin1Char('.'))) { // no listing would show it
            m_refused.append(refusal(info.fileName(), QStringLiteral("「.」で始まる名前は一覧に表示されません")));
            continue;
        }
        QFile file;
        const RegularFile::Result opened = RegularFile::open(file, path);
        if (!opened) {
            m_refused.append(refusal(info.fileName(), RegularFile::reasonText(opened)));
            continue;
        }
        const ReplayCheck check = ReplayCheck::read(file, progress);
        if (check.verdict == ReplayCheck::Verdict::Cancelled) {
            m_cancelled = true;
            m_replays.clear();
            m_identities.clear();
            return;
        }
        if (check.verdict != ReplayCheck::Verdict::Replay) {
            m_refused.append(refusal(info.fileName(), QStringLiteral("リプレイファイルではありません")));
            continue;
        }
        if (isSameFile(path, m_storageDir + targetName(path))) {
            m_refused.append(refusal(info.fileName(), QStringLiteral("既に格納フォルダにあります")));
            continue;
        }
        m_replays.append(path);
        m_identities.append(check.identity);
    }
}

FileListMessage ReplayDropImport::message(const Result &result) const
{
    const QStringList notCopied = m_refused + result.failures;
    if (notCopied.isEmpty())
        return {};
    return FileListMessage::of(QStringLiteral("次のファイルは格納フォルダにコピーしませんでした。"), notCopied);
}

QString ReplayDropImport::targetName(const QString &path)
{
    return copyTargetFileName(QFileInfo(path).fileName());
}

std::vector<ReplayCopyJob> ReplayDropImport::jobs() const
{
    std::vector<ReplayCopyJob> jobs;
    jobs.reserve(size_t(m_replays.size()));
    for (qsizetype i = 0; i < m_replays.size(); ++i) {
        jobs.emplace_back(m_replays[i], m_storageDir + targetName(m_replays[i]));
        jobs.back().expectReplay(m_identities[i]);
    }
    return jobs;
}

ReplayDropImport::Result ReplayDropImport::run(Prompter &prompter, QWidget *owner, FileWorkProgress *progress) const
{
    Result result;
    const std::vector<ReplayCopyJob> copies = jobs();
    for (size_t i = 0; i < copies.size(); ++i) {
        if (FileWorkProgress::isCancelled(progress)) {
            result.cancelled = true;
            break;
        }
        const QString name = QFileInfo(copies[i].destinationPath()).fileName();
        if (progress)
            progress->beginFile(int(i), int(copies.size()), name);
        const CopyResult copy = copies[i].run(prompter, owner, progress);
        if (copy.outcome == CopyResult::Outcome::Copied)
            ++result.copied;
        if (copy.replaced)
            result.trashed.append(*copy.replaced);
        else if (copy.outcome == CopyResult::Outcome::Failed)
            result.failures.append(QStringLiteral("%1：%2").arg(name, copy.reason));
        else if (copy.outcome == CopyResult::Outcome::Cancelled)
            result.cancelled = true;
    }
    return result;
}
