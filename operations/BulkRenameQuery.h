#pragma once

#include "operations/BulkRename.h"
#include "platform/Prompter.h"

// The preview of a bulk rename (TBulkRenameForm): the files whose names
// change, and how many of the rows shown keep theirs. The answer: whether
// to rename.
struct BulkRenameQuery : DialogQuery {
    BulkRenameQuery(QList<BulkRenameRow> r, int u) : rows(std::move(r)), unchanged(u) {}
    QList<BulkRenameRow> rows;
    int unchanged = 0;
    bool apply = false;
};
