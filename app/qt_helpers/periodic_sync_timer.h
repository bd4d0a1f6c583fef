#pragma once

#include "app/shell_core/periodic_sync.h"

#include <QElapsedTimer>
#include <QNetworkInformation>
#include <QObject>
#include <QTimer>
#include <chrono>

namespace orb {

struct AppSettings;

// Ticks the schedule of the passes the program starts by itself, and tells it when the
// machine woke up (the wall clock ran ahead of the monotonic one between two ticks) or the
// network came back. A pass waits while a modal dialog or a popup menu is open.
class PeriodicSyncTimer : public QObject
{
    Q_OBJECT

public:
    // Often enough that a due pass is at most this late, rarely enough to cost nothing.
    static constexpr std::chrono::seconds kTickInterval{20};

    // Ticks only while `minutes` is not 0.
    PeriodicSyncTimer(QObject* owner, int minutes, const Clock& clock, PeriodicSyncHooks hooks);

    PeriodicSync& Schedule() { return sync_; }
    // A new interval from the options, at once.
    void Reconfigure(int minutes);
    // One tick with the clocks read at it.
    void Tick(const TickReading& reading);
    // From the network information: only a return from no network means one pass; the first
    // report after start (from Unknown) does not.
    void ReachabilityChanged(QNetworkInformation::Reachability reachability);

private:
    TickReading ReadClocks() const;

    PeriodicSync sync_;
    QTimer timer_;
    QElapsedTimer steady_;
    TickReading lastTick_;
    QNetworkInformation::Reachability reachability_ = QNetworkInformation::Reachability::Unknown;
};

// Starts the passes the program runs by itself, every `settings.nSyncMinutes`, as a child of
// `owner`; the hooks' canRun is also refused while a modal dialog or a popup is open.
PeriodicSyncTimer* StartPeriodicSync(QObject* owner, const AppSettings& settings, const Clock& clock,
                                     PeriodicSyncHooks hooks);
// The options changed the interval: the timer started under `owner` follows at once.
void ReconfigurePeriodicSync(QObject* owner, int minutes);

} // namespace orb
