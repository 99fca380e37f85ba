#include "operations/DialogPrompter.h"

#include "operations/DuplicatesQuery.h"
#include "operations/TBulkRenameForm.h"
#include "operations/TDuplicateForm.h"
#include "operations/TNameTemplateForm.h"
#include "operations/TReplayCopyForm1.h"
#include "operations/TReplayInfoExInputForm.h"
#include "operations/TUnreadableFilesForm.h"

void DialogPrompter::ask(QWidget *owner, DialogQuery &query)
{
    if (auto *copy = dynamic_cast<CopyTargetQuery *>(&query)) {
        TReplayCopyForm1 form(copy->request, *this, owner);
        form.exec();
        copy->answer = form.result();
        copy->typed = form.typedName();
    } else if (auto *text = dynamic_cast<ReplayTextQuery *>(&query)) {
        TReplayInfoExInputForm form(text->request, owner);
        form.exec();
        text->answer = form.result();
    } else if (auto *unreadable = dynamic_cast<UnreadableFilesQuery *>(&query)) {
        TUnreadableFilesForm form(unreadable->request, owner);
        form.exec();
        unreadable->answer = form.result();
    } else if (auto *duplicates = dynamic_cast<DuplicatesQuery *>(&query)) {
        TDuplicateForm form(duplicates->groups, owner);
        form.exec();
        duplicates->markRequested = form.markRequested();
    } else if (auto *edit = dynamic_cast<NameTemplateQuery *>(&query)) {
        TNameTemplateForm form(*edit, owner);
        form.exec();
        edit->answer = form.result();
    } else if (auto *rename = dynamic_cast<BulkRenameQuery *>(&query)) {
        TBulkRenameForm form(*rename, owner);
        form.exec();
        rename->apply = form.applyRequested();
    }
}
