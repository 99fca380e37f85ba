#include "app/PageCommands.h"

#include <QAbstractButton>
#include <QAction>
#include <QMenu>
#include <QPointer>

void PageCommands::add(QAbstractButton *button, const QKeySequence &key)
{
    m_commands.push_back(Command{button, key});
    if (!key.isEmpty())
        button->setToolTip(QStringLiteral("%1 (%2)").arg(button->text(), key.toString(QKeySequence::NativeText)));
}

bool PageCommands::available(const QAbstractButton *button)
{
    // The page itself may be hidden behind the other one.
    return button->isEnabled() && button->isVisibleTo(button->parentWidget());
}

bool PageCommands::press(QAbstractButton *button)
{
    if (!available(button))
        return false;
    button->click();
    return true;
}

void PageCommands::addTo(QMenu *menu) const
{
    for (const Command &command : m_commands) {
        if (!command.button->isVisibleTo(command.button->parentWidget()))
            continue;
        QAction *item = menu->addAction(command.button->text());
        item->setShortcut(command.key); // shown beside the text; the menu is gone before it could fire twice
        item->setEnabled(command.button->isEnabled());
        QPointer<QAbstractButton> button = command.button;
        QObject::connect(item, &QAction::triggered, command.button, [button] {
            if (button)
                press(button);
        });
    }
}
