// Times auto-store's decision after an update of the game folder: which of
// the ten slots the storage folder lacks (by stream identity) and the names
// they get, against a catalogue of 10,000 replays held in memory, as the
// program runs it. The identities come from the scan; the index by identity
// is rebuilt only when the storage folder is read (`index_rebuild`, shown for
// comparison), not at an update of the game folder.
//
// Prints `decide_all_stored MEDIAN SLOWEST` (the usual update: every slot is
// stored) and `decide_three_new MEDIAN SLOWEST` (three slots to store: names
// made and looked up in the folder), in milliseconds over 200 runs, and
// `index_rebuild MEDIAN SLOWEST`.

#include "catalogue/ReplayList.h"
#include "catalogue/StoredReplayIndex.h"
#include "operations/AutoStorePlan.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>

namespace {

constexpr int Items = 10000;
constexpr int Runs = 200;

ReplayIdentity identityOf(int n)
{
    ReplayIdentity identity;
    std::memcpy(identity.bytes.data(), &n, sizeof n);
    identity.bytes[15] = 1; // never null
    return identity;
}

ReplayHead headOf(int n)
{
    ReplayHead head{};
    std::memcpy(head.ReplayVer, "QVreplay Ver107 ", ReplayVerSize);
    head.Dungeon = n % 14;
    head.Chara = n % 6;
    head.Floor = 1 + n % 30;
    head.Score = n * 37;
    head.PlayDate = 1700000000 + n * 600;
    return head;
}

struct Times {
    double median = 0;
    double slowest = 0;
};

// Of Runs runs, in milliseconds.
Times timeOf(const std::function<void()> &work)
{
    std::vector<double> times;
    for (int run = 0; run < Runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return Times{times[times.size() / 2], times.back()};
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir storage;
    if (!storage.isValid())
        return 1;

    ReplayList list;
    list.reserve(Items);
    const char name[PlayerNameSize] = "player";
    const char comment[CommentSize] = "comment";
    for (int n = 0; n < Items; ++n)
        list.AddReplayList(QStringLiteral("replay_%1.dat").arg(n, 5, 10, QLatin1Char('0')), headOf(n), name, comment,
                           identityOf(n));
    StoredReplayIndex index;
    const Times rebuild = timeOf([&] { index.rebuild(list); });

    // The ten slots hold the ten newest runs, all of them stored.
    ReplaySlots gameSlots{};
    std::array<ReplayIdentity, ReplaySlotCount> identities{};
    for (int slot = 0; slot < ReplaySlotCount; ++slot) {
        static_cast<ReplayHead &>(gameSlots[size_t(slot)]) = headOf(Items - 1 - slot);
        identities[size_t(slot)] = identityOf(Items - 1 - slot);
    }
    AutoStorePlan plan;
    qsizetype steps = 0;
    const AutoStoreView view{gameSlots, identities, {}, index, list, storage.path() + QLatin1Char('/')};
    const Times allStored = timeOf([&] { steps += plan.steps(view).size(); });

    // Three of them are new runs.
    for (int slot = 0; slot < 3; ++slot) {
        static_cast<ReplayHead &>(gameSlots[size_t(slot)]) = headOf(Items + slot);
        identities[size_t(slot)] = identityOf(Items + slot);
    }
    const Times threeNew = timeOf([&] { steps += plan.steps(view).size(); });

    std::printf("catalogue %d replays, %d runs each: median and slowest, ms\n", Items, Runs);
    std::printf("decide_all_stored %.3f %.3f\n", allStored.median, allStored.slowest);
    std::printf("decide_three_new %.3f %.3f\n", threeNew.median, threeNew.slowest);
    std::printf("index_rebuild %.3f %.3f\n", rebuild.median, rebuild.slowest);
    return steps == qsizetype(3) * Runs ? 0 : 1; // the decision found the three, every time
}
