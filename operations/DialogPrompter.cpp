#include "operations/DialogPrompter.h"

#include "operations/TDuplicateForm.h"
#include "operations/TReplayCopyForm1.h"
#include "operations/TReplayInfoExInputForm.h"
#include "operations/TUnreadableFilesForm.h"

std::optional<QString> DialogPrompter::chooseCopyTarget(QWidget *owner, const CopyTargetRequest &request)
{
    TReplayCopyForm1 form(request, *this, owner);
    form.exec();
    return form.result();
}

std::optional<ReplayTextAnswer> DialogPrompter::editReplayText(QWidget *owner, const ReplayTextRequest &request)
{
    TReplayInfoExInputForm form(request, owner);
    form.exec();
    return form.result();
}

std::optional<UnreadableFilesAnswer> DialogPrompter::reviewUnreadableFiles(QWidget *owner,
                                                                          const UnreadableFilesRequest &request)
{
    TUnreadableFilesForm form(request, owner);
    form.exec();
    return form.result();
}

bool DialogPrompter::reviewDuplicates(QWidget *owner, const DuplicateGroups &groups)
{
    TDuplicateForm form(groups, owner);
    form.exec();
    return form.markRequested();
}
