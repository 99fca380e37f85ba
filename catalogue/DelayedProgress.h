#pragma once

#include "catalogue/FolderScan.h"

#include <QElapsedTimer>
#include <QString>

// Hands a scan's progress on only once the scan has run longer than a delay,
// so a scan that is over at once (the few files a change brought) shows
// nothing, while a long one still gets its progress box.
class DelayedProgress : public ScanProgress {
public:
    DelayedProgress(ScanProgress &shown, int delayMs);

    void start(int maximum, const QString &heading) override;
    void step(int position, const QString &countText, const QString &fileName) override;
    void waiting() override;
    void finish() override;

private:
    // Starts the progress passed on once the delay is over; true once it has.
    bool pass();

    ScanProgress &m_target;
    int m_delayMs;
    QElapsedTimer m_sinceStart;
    bool m_running = false;
    bool m_shown = false;
    int m_maximum = 0;
    QString m_heading;
    int m_position = 0; // the last step, handed on when the box appears
    QString m_countText;
    QString m_fileName;
};
