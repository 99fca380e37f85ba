#pragma once

#include "replay/ReplayInfo.h"

#include <QString>

#include <array>


// The ten slots of the game's replay folder; slot i is "qv_replay<i>.dat".
// A slot is present when its PlayDate is not 0.
inline constexpr int ReplaySlotCount = 10;
using ReplaySlots = std::array<ReplayInfo, ReplaySlotCount>;

// "qv_replay%d.dat" for slot i.
QString slotFileName(int slot);

// Told about every step of a scan, so that a progress box can show it.
class ScanProgress {
public:
    virtual ~ScanProgress() = default;
    // A scan of `maximum` steps begins; heading is the text above the bar
    // (empty: the box's default heading).
    virtual void start(int maximum, const QString &heading) = 0;
    // Step `position` (1-based) is about to read fileName; countText is "k / n".
    // Steps come in listing order and count the files done; files are read
    // on worker threads, so step k names the k-th file of the listing while
    // the k files done may be others. Files whose record from an earlier
    // scan stands need no reading: they are done at once and counted, but
    // only the last of them done at once has a step of its own.
    virtual void step(int position, const QString &countText, const QString &fileName) = 0;
    // Called on the scanning thread, every few milliseconds, while it waits
    // for files still being read: a progress box lets the window draw here.
    virtual void waiting() {}
    virtual void finish() = 0;
};
