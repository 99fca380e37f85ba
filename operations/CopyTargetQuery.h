#pragma once

#include "platform/Prompter.h"

#include <QString>
#include <QStringList>

#include <array>
#include <optional>

// What one game slot holds, in the texts of the game table (all empty for an
// empty slot).
struct SlotSummary {
    QString dungeon;
    QString floors;
    QString chara;
    QString score;
    QString player;
};

// What the copy dialog (TReplayCopyForm1) is given.
struct CopyTargetRequest {
    bool slotMode = false;   // true: choose one of the ten slots; false: type a file name
    QString sourceName;      // the file to copy, without its folder
    QString sourcePath;      // its full path: a copy onto the source itself is refused
    QString destinationDir;  // the folder the copy goes to, ending with "/"
    std::array<SlotSummary, 10> slotTexts; // slot mode: what each slot holds now
    QStringList storedNames; // name entry: storage files that already hold this replay
    QString templateName;    // name entry: the name the storage file name template gives (empty: none)
    // What the dialog starts with: the name typed (name entry) or the slot
    // chosen (slot choice) before the user declined to replace a file.
    QString typedName;
    int slot = 0;
};

// The copy dialog's question: the destination file name without folder, or
// nothing when cancelled.
struct CopyTargetQuery : DialogQuery {
    explicit CopyTargetQuery(CopyTargetRequest r) : request(std::move(r)) {}
    CopyTargetRequest request;
    std::optional<QString> answer;
    QString typed; // with an answer in name entry: the name as typed (".dat" not added)
};
