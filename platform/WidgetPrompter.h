#pragma once

#include "platform/Prompter.h"

#include <QString>

// The message boxes and the folder chooser of the real program. The command
// dialogs are added by DialogPrompter (operations/), which can see them.
// While one is open the rest of the program takes no input.
class WidgetPrompter : public Prompter {
public:
    // title: the caption of every message box (the main window's caption).
    explicit WidgetPrompter(const QString &title);

    void error(QWidget *owner, const QString &text, const QString &details = {}) override;
    void information(QWidget *owner, const QString &text) override;
    bool question(QWidget *owner, const QString &text, const QString &details = {}) override;
    std::optional<QString> chooseFolder(QWidget *owner, const QString &title, const QString &root,
                                        const QString &preselect) override;
    bool confirmReplace(QWidget *owner, const QString &path, const QString &holds) override;
    bool confirmDelete(QWidget *owner, const QStringList &paths, int hidden) override;
    std::optional<QString> chooseSaveFile(QWidget *owner, const QString &title, const QString &suggestedPath,
                                          const QString &filter) override;

private:
    QString m_title;
};
