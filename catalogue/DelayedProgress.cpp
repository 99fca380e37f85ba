#include "catalogue/DelayedProgress.h"

DelayedProgress::DelayedProgress(ScanProgress &shown, int delayMs)
    : m_target(shown), m_delayMs(delayMs)
{
}

void DelayedProgress::start(int maximum, const QString &heading)
{
    finish();
    m_running = true;
    m_maximum = maximum;
    m_heading = heading;
    m_position = 0;
    m_sinceStart.start();
}

bool DelayedProgress::pass()
{
    if (m_shown)
        return true;
    if (!m_running || m_sinceStart.elapsed() < m_delayMs)
        return false;
    m_shown = true;
    m_target.start(m_maximum, m_heading);
    if (m_position > 0)
        m_target.step(m_position, m_countText, m_fileName);
    return true;
}

void DelayedProgress::step(int position, const QString &countText, const QString &fileName)
{
    m_position = position;
    m_countText = countText;
    m_fileName = fileName;
    if (m_shown)
        m_target.step(position, countText, fileName);
    else
        pass();
}

void DelayedProgress::waiting()
{
    if (pass())
        m_target.waiting();
}

void DelayedProgress::finish()
{
    if (m_shown)
        m_target.finish();
    m_running = false;
    m_shown = false;
}
