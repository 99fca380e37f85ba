#pragma once

#include <QKeySequence>

#include <vector>

class QAbstractButton;
class QMenu;

// The commands of one page as keys and the table's context menu reach them.
// Each command is a button of the page's command panel, and the button
// decides for every path: a command may be given only while its button is
// shown and enabled (the command states set the buttons; deletion mode shows
// and hides them).
class PageCommands {
public:
    // Adds a button; its key, when given, is named in its tool tip and in
    // the context menu.
    void add(QAbstractButton *button, const QKeySequence &key = {});

    static bool available(const QAbstractButton *button);
    // Clicks the button when it is available; false (and nothing done) when not.
    static bool press(QAbstractButton *button);

    // One item for each button shown now, in the order added, enabled like
    // the button and showing its key; choosing an item presses the button.
    void addTo(QMenu *menu) const;

private:
    struct Command {
        QAbstractButton *button;
        QKeySequence key;
    };
    std::vector<Command> m_commands;
};
