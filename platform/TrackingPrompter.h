#pragma once

#include "platform/Prompter.h"

// Hands every question on to another Prompter and knows while one is being
// asked, so that nothing else changes the window under an open dialog (a
// dialog may run its own event loop, in which timers go on firing).
class TrackingPrompter : public Prompter {
public:
    explicit TrackingPrompter(Prompter &asked) : m_asked(asked) {}

    // True while a question is open (its dialog is shown).
    bool isAsking() const { return m_open > 0; }

    void error(QWidget *owner, const QString &text, const QString &details = {}) override;
    void information(QWidget *owner, const QString &text) override;
    bool question(QWidget *owner, const QString &text, const QString &details = {}) override;
    std::optional<QString> chooseFolder(QWidget *owner, const QString &title, const QString &root,
                                        const QString &preselect) override;
    bool confirmReplace(QWidget *owner, const QString &path, const QString &holds) override;
    bool confirmDelete(QWidget *owner, const QStringList &paths, int hidden) override;
    void ask(QWidget *owner, DialogQuery &query) override;
    std::optional<QString> chooseSaveFile(QWidget *owner, const QString &title, const QString &suggestedPath,
                                          const QString &filter) override;

private:
    // Counts one open question for its lifetime (questions may nest).
    class Open {
    public:
        explicit Open(int &open) : m_open(open) { ++m_open; }
        ~Open() { --m_open; }
        Open(const Open &) = delete;
        Open &operator=(const Open &) = delete;

    private:
        int &m_open;
    };

    Prompter &m_asked;
    int m_open = 0;
};
