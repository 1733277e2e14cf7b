#include "removalreport.h"

#include <QMutex>
#include <QMutexLocker>

namespace appinstaller
{

namespace
{
// Held while an event is told: once setRemovalReport() has returned, the
// report it replaced is told nothing more and may go.
QMutex g_reportMutex;
RemovalReport* g_report = nullptr;
} // namespace

void setRemovalReport(RemovalReport* report)
{
    QMutexLocker lock(&g_reportMutex);
    g_report = report;
}

void reportRemoval(const RemovalEvent& event)
{
    QMutexLocker lock(&g_reportMutex);
    if (g_report)
        g_report->removalEvent(event);
}

} // namespace appinstaller
