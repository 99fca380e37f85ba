#pragma once

#include "catalogue/FolderScan.h"
#include "operations/NameTemplate.h"
#include "operations/TrashedFile.h"
#include "replay/ReplayIdentity.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <array>

class ReplayList;
class StoredReplayIndex;

// What auto-store decides from: the game slots as the last scan read them
// (their replays, stream identities and file sizes) and the storage folder's
// catalogue with its index by identity. Nothing is read from the files.
struct AutoStoreView {
    const ReplaySlots &gameSlots;
    const std::array<ReplayIdentity, ReplaySlotCount> &identities;
    std::array<qint64, ReplaySlotCount> slotSizes{}; // of the slot files as listed
    const StoredReplayIndex &stored;
    const ReplayList &catalogue;
    QString storageDir; // ends with "/"
};

// One copy to make: a slot into the storage folder under a name.
struct AutoStoreStep {
    int slot = -1;
    QString name;
    // A copy of the same run that auto-store made earlier in this run of the
    // program, which gives way to this one (empty: none). When it is name
    // itself, the copy replaces it.
    QString replaces;
};

// Auto-store's decision and what it remembers: which game slots hold a
// replay that the storage folder does not have (by stream identity), and
// under which name each is to be stored.
//
// One run of the game gives one stored file, however often the game writes
// its slot: the same stream again is stored already; a later write of the
// same run (the same version, dungeon, character, play date and limited-play
// conditions) with another stream, or with the same stream and more of the
// file behind it, takes the place of the copy auto-store made of that run in
// this run of the program, so long as that copy is untouched (same file,
// same stream). A copy the player made, edited or renamed is never replaced:
// the later write is then stored beside it.
class AutoStorePlan {
public:
    const NameTemplate &nameTemplate() const { return m_template; }
    void setNameTemplate(const NameTemplate &nameTemplate) { m_template = nameTemplate; }

    // The copies to make now, by slot.
    QList<AutoStoreStep> steps(const AutoStoreView &view) const;

    // The step was carried out: file (in the storage folder) now holds the
    // slot's replay with this identity.
    void stored(const AutoStoreStep &step, const ReplayInfo &replay, const ReplayIdentity &identity,
                const FileIdentity &file);

    // What makes two writes one run.
    static QByteArray runKey(const ReplayHead &head);

private:
    struct Copy {
        QString name;
        ReplayIdentity identity;
        FileIdentity file;
    };
    // The copy of a run, when it is still as auto-store wrote it.
    const Copy *untouchedCopy(const AutoStoreView &view, const QByteArray &run) const;

    NameTemplate m_template;
    QHash<QByteArray, Copy> m_copies; // by run
};
