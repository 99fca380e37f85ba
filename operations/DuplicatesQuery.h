#pragma once

#include "operations/DuplicateFinder.h"
#include "platform/Prompter.h"

// The list of identical replays (TDuplicateForm, at least one group): true
// when the user asked to mark all but the first file of every group for
// deletion.
struct DuplicatesQuery : DialogQuery {
    explicit DuplicatesQuery(DuplicateGroups g) : groups(std::move(g)) {}
    DuplicateGroups groups;
    bool markRequested = false;
};
