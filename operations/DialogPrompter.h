#pragma once

#include "platform/WidgetPrompter.h"

// The Prompter of the real program: WidgetPrompter's message boxes and
// folder chooser, and the command dialogs of the file operations, one for
// each kind of DialogQuery.
class DialogPrompter : public WidgetPrompter {
public:
    using WidgetPrompter::WidgetPrompter;

    void ask(QWidget *owner, DialogQuery &query) override;
};
