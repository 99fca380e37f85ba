#include "operations/AutoStorePlan.h"

#include "catalogue/ReplayList.h"
#include "catalogue/StoredReplayIndex.h"

#include <QFile>
#include <QSet>

#include <cstring>

QByteArray AutoStorePlan::runKey(const ReplayHead &head)
{
    // The fields a run has from its start: a later write of it changes the
    // floors, the score, the play time and the stream, not these.
    QByteArray key(head.ReplayVer, ReplayVerSize);
    const auto add = [&key](const auto &value) {
        key.append(reinterpret_cast<const char *>(&value), qsizetype(sizeof value));
    };
    add(head.Dungeon);
    add(head.Chara);
    add(head.PlayDate);
    add(head.LimitPlay);
    return key;
}

const AutoStorePlan::Copy *AutoStorePlan::untouchedCopy(const AutoStoreView &view, const QByteArray &run) const
{
    const auto found = m_copies.constFind(run);
    if (found == m_copies.constEnd())
        return nullptr;
    const ReplayListItem *item = view.catalogue.itemByName(found->name);
    if (!item || item->Identity != found->identity)
        return nullptr;
    const std::optional<FileIdentity> now = FileIdentity::of(QFile::encodeName(view.storageDir + found->name));
    return now && *now == found->file ? &*found : nullptr;
}

QList<AutoStoreStep> AutoStorePlan::steps(const AutoStoreView &view) const
{
    QList<AutoStoreStep> steps;
    QSet<ReplayIdentity> planned;
    QSet<QString> chosen; // names of this plan, letter case ignored (the folder may ignore it)
    for (int slot = 0; slot < ReplaySlotCount; ++slot) {
        const ReplayInfo &replay = view.gameSlots[size_t(slot)];
        const ReplayIdentity &identity = view.identities[size_t(slot)];
        // An empty slot, or one that holds no readable replay.
        if (replay.PlayDate == 0 || identity.isNull() || planned.contains(identity))
            continue;
        const bool storedAlready = !view.stored.names(identity).isEmpty();
        AutoStoreStep step;
        step.slot = slot;
        if (const Copy *earlier = untouchedCopy(view, runKey(replay))) {
            const bool laterStream = identity != earlier->identity && !storedAlready;
            const bool moreOfFile = identity == earlier->identity && view.slotSizes[size_t(slot)] > earlier->file.size;
            if (!laterStream && !moreOfFile)
                continue;
            step.replaces = earlier->name;
        } else if (storedAlready) {
            continue;
        }
        step.name = m_template.fileName(NameSource{&replay, slot, slotFileName(slot)}, [&](const QString &name) {
            if (chosen.contains(name.toCaseFolded()))
                return true;
            return name != step.replaces && FileIdentity::of(QFile::encodeName(view.storageDir + name)).has_value();
        });
        if (step.name.isEmpty())
            continue;
        chosen.insert(step.name.toCaseFolded());
        planned.insert(identity);
        steps.append(step);
    }
    return steps;
}

void AutoStorePlan::stored(const AutoStoreStep &step, const ReplayInfo &replay, const ReplayIdentity &identity,
                           const FileIdentity &file)
{
    m_copies.insert(runKey(replay), Copy{step.name, identity, file});
}
