#pragma once

#include "platform/WidgetPrompter.h"

// The Prompter of the real program: WidgetPrompter's message boxes and
// folder chooser, and the command dialogs of the file operations.
class DialogPrompter : public WidgetPrompter {
public:
    using WidgetPrompter::WidgetPrompter;

    std::optional<QString> chooseCopyTarget(QWidget *owner, const CopyTargetRequest &request) override;
    std::optional<ReplayTextAnswer> editReplayText(QWidget *owner, const ReplayTextRequest &request) override;
    std::optional<UnreadableFilesAnswer> reviewUnreadableFiles(QWidget *owner,
                                                               const UnreadableFilesRequest &request) override;
    bool reviewDuplicates(QWidget *owner, const DuplicateGroups &groups) override;
};
