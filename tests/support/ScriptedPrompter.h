#pragma once

#include "operations/BulkRenameQuery.h"
#include "operations/CopyTargetQuery.h"
#include "operations/DuplicatesQuery.h"
#include "operations/NameTemplateQuery.h"
#include "operations/ReplayTextQuery.h"
#include "operations/UnreadableFilesQuery.h"
#include "platform/Prompter.h"

#include <QString>
#include <QStringList>
#include <QTest>

#include <deque>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

// A Prompter for tests: answers come from queues the test fills beforehand,
// every call is recorded, and a question nobody queued an answer for fails
// the running test (and is answered No / cancel, so nothing is changed).
//
//     ScriptedPrompter prompter;
//     prompter.answerFolder(u"/tmp/game"_s);
//     prompter.answerFolderCancel();
//     prompter.answerQuestion(true);
//     prompter.answerCopyTarget(u"abc.dat"_s);
//     prompter.answerReplayText({"name", "line 1\r\nline 2"});
//     ...
//     QCOMPARE(prompter.calls().size(), 3);
//     QVERIFY(prompter.unexpected().isEmpty());
class ScriptedPrompter : public Prompter {
public:
    enum class Kind {
        Error,
        Question,
        ChooseFolder,
        ConfirmReplace,
        ConfirmDelete,
        ChooseCopyTarget,
        EditReplayText,
        ChooseSaveFile,
        ReviewUnreadableFiles,
        Information,
        ReviewDuplicates,
        EditNameTemplate,
        ReviewBulkRename,
    };

    struct Call {
        Kind kind = Kind::Error;
        QWidget *owner = nullptr;
        QString text;      // error / question text; the path for ConfirmReplace
        QString details;   // error / question: the folded-away list
        QString title;     // ChooseFolder: instruction text; ChooseSaveFile: chooser title
        QString root;      // ChooseFolder; ChooseSaveFile: the name filter
        QString preselect; // ChooseFolder; ChooseSaveFile: the suggested path
        QStringList paths; // ConfirmDelete
        int hidden = 0;    // ConfirmDelete: how many of paths a filter hides
        QString holds;     // ConfirmReplace: what the file holds now
        CopyTargetRequest copyTarget; // ChooseCopyTarget
        ReplayTextRequest replayText; // EditReplayText
        UnreadableFilesRequest unreadable; // ReviewUnreadableFiles
        DuplicateGroups duplicates;   // ReviewDuplicates
        QList<BulkRenameRow> renames; // ReviewBulkRename (text: how many keep their names)
        std::optional<NameSample> sample; // EditNameTemplate (text: the template given)
    };

    // --- answers, consumed in order per kind ---
    void answerQuestion(bool yes) { m_questions.push_back(yes); }
    void answerFolder(const QString &path) { m_folders.push_back(FolderAnswer{true, path}); }
    void answerFolderCancel() { m_folders.push_back(FolderAnswer{false, {}}); }
    void answerReplace(bool replace) { m_replaces.push_back(replace); }
    void answerDelete(bool proceed) { m_deletes.push_back(proceed); }
    // typed: the name as typed (name entry), when it differs from fileName.
    void answerCopyTarget(const QString &fileName, const QString &typed = {})
    {
        m_copyTargets.push_back(CopyTargetAnswer{true, fileName, typed.isNull() ? fileName : typed});
    }
    void answerCopyTargetCancel() { m_copyTargets.push_back(CopyTargetAnswer{false, {}, {}}); }
    void answerReplayText(const ReplayTextAnswer &answer) { m_replayTexts.push_back(TextAnswer{true, answer}); }
    void answerReplayTextCancel() { m_replayTexts.push_back(TextAnswer{false, {}}); }
    void answerSaveFile(const QString &path) { m_saveFiles.push_back(FolderAnswer{true, path}); }
    void answerSaveFileCancel() { m_saveFiles.push_back(FolderAnswer{false, {}}); }
    void answerUnreadable(const UnreadableFilesAnswer &answer) { m_unreadables.push_back(ListAnswer{true, answer}); }
    void answerUnreadableClose() { m_unreadables.push_back(ListAnswer{false, {}}); }
    // Runs once, at the next question of any kind, before it is answered:
    // what happens while that dialog is open.
    void whileAsking(std::function<void()> hook) { m_whileAsking = std::move(hook); }
    // The duplicate list: true presses "mark all but the oldest".
    void answerDuplicates(bool mark) { m_duplicates.push_back(mark); }
    // The template editor: the template entered (as stored), or nothing for cancel.
    void answerNameTemplate(const std::optional<QString> &stored) { m_templates.push_back(stored); }
    // The bulk rename preview: true renames.
    void answerBulkRename(bool apply) { m_bulkRenames.push_back(apply); }

    // --- what happened ---
    const std::vector<Call> &calls() const { return m_calls; }
    // Descriptions of the questions that came without a queued answer.
    const QStringList &unexpected() const { return m_unexpected; }

    int count(Kind kind) const
    {
        int n = 0;
        for (const Call &c : m_calls)
            n += c.kind == kind ? 1 : 0;
        return n;
    }

    // Texts of all error boxes shown, in order.
    QStringList errors() const { return textsOf(Kind::Error); }
    // Texts of all information boxes shown, in order.
    QStringList informations() const { return textsOf(Kind::Information); }
    // Texts of all Yes/No questions asked, in order.
    QStringList questions() const { return textsOf(Kind::Question); }

    // Queued answers that no call has taken yet.
    int pendingAnswers() const
    {
        return int(m_questions.size() + m_folders.size() + m_replaces.size() + m_deletes.size()
                   + m_copyTargets.size() + m_replayTexts.size() + m_saveFiles.size() + m_unreadables.size()
                   + m_duplicates.size() + m_templates.size() + m_bulkRenames.size());
    }

    // Forget calls, queued answers and unexpected questions.
    void reset()
    {
        m_calls.clear();
        m_unexpected.clear();
        m_questions.clear();
        m_folders.clear();
        m_replaces.clear();
        m_deletes.clear();
        m_copyTargets.clear();
        m_replayTexts.clear();
        m_saveFiles.clear();
        m_unreadables.clear();
        m_whileAsking = nullptr;
        m_duplicates.clear();
        m_templates.clear();
        m_bulkRenames.clear();
    }

    // --- Prompter ---
    void error(QWidget *owner, const QString &text, const QString &details = {}) override
    {
        Call &c = record(Kind::Error, owner);
        c.text = text;
        c.details = details;
    }

    void information(QWidget *owner, const QString &text) override
    {
        Call &c = record(Kind::Information, owner);
        c.text = text;
    }

    bool question(QWidget *owner, const QString &text, const QString &details = {}) override
    {
        Call &c = record(Kind::Question, owner);
        c.text = text;
        c.details = details;
        return take(m_questions, false, QStringLiteral("question \"%1\"").arg(text));
    }

    std::optional<QString> chooseFolder(QWidget *owner, const QString &title, const QString &root,
                                        const QString &preselect) override
    {
        Call &c = record(Kind::ChooseFolder, owner);
        c.title = title;
        c.root = root;
        c.preselect = preselect;
        const FolderAnswer answer =
            take(m_folders, FolderAnswer{false, {}}, QStringLiteral("folder chooser \"%1\"").arg(title));
        if (!answer.chosen)
            return std::nullopt;
        return answer.path;
    }

    bool confirmReplace(QWidget *owner, const QString &path, const QString &holds) override
    {
        Call &c = record(Kind::ConfirmReplace, owner);
        c.text = path;
        c.holds = holds;
        return take(m_replaces, false, QStringLiteral("replace confirmation for \"%1\"").arg(path));
    }

    bool confirmDelete(QWidget *owner, const QStringList &paths, int hidden) override
    {
        Call &c = record(Kind::ConfirmDelete, owner);
        c.paths = paths;
        c.hidden = hidden;
        return take(m_deletes, false,
                    QStringLiteral("delete confirmation for \"%1\"").arg(paths.join(QStringLiteral("\", \""))));
    }

    std::optional<QString> chooseSaveFile(QWidget *owner, const QString &title, const QString &suggestedPath,
                                          const QString &filter) override
    {
        Call &c = record(Kind::ChooseSaveFile, owner);
        c.title = title;
        c.root = filter;
        c.preselect = suggestedPath;
        const FolderAnswer answer =
            take(m_saveFiles, FolderAnswer{false, {}}, QStringLiteral("save-file chooser \"%1\"").arg(title));
        if (!answer.chosen)
            return std::nullopt;
        return answer.path;
    }

    // The command dialogs, each answered from its own queue.
    void ask(QWidget *owner, DialogQuery &query) override
    {
        if (auto *copy = dynamic_cast<CopyTargetQuery *>(&query)) {
            Call &c = record(Kind::ChooseCopyTarget, owner);
            c.copyTarget = copy->request;
            const CopyTargetAnswer answer = take(m_copyTargets, CopyTargetAnswer{false, {}, {}},
                                                 QStringLiteral("copy dialog for \"%1\"").arg(copy->request.sourceName));
            copy->answer = answer.chosen ? std::optional<QString>(answer.fileName) : std::nullopt;
            copy->typed = copy->request.slotMode ? QString() : answer.typed;
        } else if (auto *text = dynamic_cast<ReplayTextQuery *>(&query)) {
            Call &c = record(Kind::EditReplayText, owner);
            c.replayText = text->request;
            const TextAnswer answer =
                take(m_replayTexts, TextAnswer{false, {}},
                     QStringLiteral("name and comment dialog for \"%1\"").arg(text->request.fileName));
            text->answer = answer.ok ? std::optional<ReplayTextAnswer>(answer.texts) : std::nullopt;
        } else if (auto *list = dynamic_cast<UnreadableFilesQuery *>(&query)) {
            Call &c = record(Kind::ReviewUnreadableFiles, owner);
            c.unreadable = list->request;
            const ListAnswer answer =
                take(m_unreadables, ListAnswer{false, {}},
                     QStringLiteral("list of %1 unreadable files").arg(list->request.files.size()));
            list->answer = answer.chosen ? std::optional<UnreadableFilesAnswer>(answer.answer) : std::nullopt;
        } else if (auto *duplicates = dynamic_cast<DuplicatesQuery *>(&query)) {
            Call &c = record(Kind::ReviewDuplicates, owner);
            c.duplicates = duplicates->groups;
            duplicates->markRequested = take(m_duplicates, false,
                                             QStringLiteral("duplicate list of %1 groups").arg(duplicates->groups.size()));
        } else if (auto *edit = dynamic_cast<NameTemplateQuery *>(&query)) {
            Call &c = record(Kind::EditNameTemplate, owner);
            c.text = edit->templateText;
            c.sample = edit->sample;
            edit->answer = take(m_templates, std::optional<QString>(), QStringLiteral("name template editor"));
        } else if (auto *rename = dynamic_cast<BulkRenameQuery *>(&query)) {
            Call &c = record(Kind::ReviewBulkRename, owner);
            c.renames = rename->rows;
            c.text = QString::number(rename->unchanged);
            rename->apply = take(m_bulkRenames, false,
                                 QStringLiteral("bulk rename preview of %1 files").arg(rename->rows.size()));
        } else {
            record(Kind::Error, owner).text = QStringLiteral("<a dialog the test prompter does not know>");
            m_unexpected.append(QStringLiteral("unknown dialog"));
        }
    }

    // The requests of every list of unreadable files shown, in order.
    QList<UnreadableFilesRequest> unreadableRequests() const
    {
        QList<UnreadableFilesRequest> requests;
        for (const Call &c : m_calls) {
            if (c.kind == Kind::ReviewUnreadableFiles)
                requests.append(c.unreadable);
        }
        return requests;
    }

private:
    template <typename T>
    T take(std::deque<T> &queue, T safeAnswer, const QString &what)
    {
        if (!queue.empty()) {
            T answer = std::move(queue.front());
            queue.pop_front();
            return answer;
        }
        m_unexpected.append(what);
        const QByteArray message = QStringLiteral("unexpected %1: no answer was queued").arg(what).toUtf8();
        if (QTest::currentTestFunction())
            QTest::qFail(message.constData(), __FILE__, __LINE__);
        else
            qWarning("ScriptedPrompter: %s", message.constData());
        return safeAnswer;
    }

    Call &record(Kind kind, QWidget *owner)
    {
        if (m_whileAsking) {
            const std::function<void()> hook = std::exchange(m_whileAsking, nullptr);
            hook();
        }
        Call c;
        c.kind = kind;
        c.owner = owner;
        m_calls.push_back(c);
        return m_calls.back();
    }

    QStringList textsOf(Kind kind) const
    {
        QStringList texts;
        for (const Call &c : m_calls) {
            if (c.kind == kind)
                texts.append(c.text);
        }
        return texts;
    }

    std::vector<Call> m_calls;
    QStringList m_unexpected;
    std::deque<bool> m_questions;
    struct FolderAnswer {
        bool chosen;
        QString path;
    };
    std::deque<FolderAnswer> m_folders;
    std::deque<FolderAnswer> m_saveFiles;
    std::deque<bool> m_replaces;
    std::deque<bool> m_deletes;
    std::deque<bool> m_duplicates;
    std::deque<std::optional<QString>> m_templates;
    std::deque<bool> m_bulkRenames;
    struct CopyTargetAnswer {
        bool chosen;
        QString fileName;
        QString typed;
    };
    std::deque<CopyTargetAnswer> m_copyTargets;
    struct TextAnswer {
        bool ok;
        ReplayTextAnswer texts;
    };
    std::deque<TextAnswer> m_replayTexts;
    struct ListAnswer {
        bool chosen;
        UnreadableFilesAnswer answer;
    };
    std::deque<ListAnswer> m_unreadables;
    std::function<void()> m_whileAsking;
};
