#pragma once

#include <QtGlobal>

#include <functional>

// Runs work(i) for every i in [0, count) on up to `threads` worker threads
// (0: one per core), which take the indices in order from a shared counter,
// so a slow item holds up only its own thread. The calling thread does none
// of the work: it waits, and every few milliseconds calls waiting(done) with
// the number of finished items, so that a window stays drawn and a progress
// box counts. Returns when every item is done, after a last waiting(count).
// work must be safe to call from several threads at once; waiting is called
// on the calling thread only.
void runInParallel(qsizetype count, int threads, const std::function<void(qsizetype)> &work,
                   const std::function<void(qsizetype done)> &waiting);

// Runs side on a thread of its own while here runs on the calling thread,
// and returns when both are done. Where no thread can be had, side runs
// first, then here. An exception that leaves side is thrown again here, once
// both are done.
void runBeside(const std::function<void()> &side, const std::function<void()> &here);
