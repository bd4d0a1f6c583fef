#include "app/qt_helpers/periodic_sync_timer.h"

#include "app/shell_core/settings.h"

#include <QApplication>
#include <QDateTime>
#include <utility>

namespace orb {

namespace {

constexpr qint64 kMillisecondsPerSecond = 1000;

// A pass behind an open dialog or menu would change the rows under the user's hand.
PeriodicSyncHooks WaitingForDialogs(PeriodicSyncHooks hooks)
{
    hooks.canRun = [canRun = std::move(hooks.canRun)] {
        return QApplication::activeModalWidget() == nullptr && QApplication::activePopupWidget() == nullptr && canRun();
    };
    return hooks;
}

} // namespace

PeriodicSyncTimer::PeriodicSyncTimer(QObject* owner, int minutes, const Clock& clock, PeriodicSyncHooks hooks)
    : QObject(owner), sync_(minutes, clock, WaitingForDialogs(std::move(hooks)))
{
    steady_.start();
    timer_.setInterval(kTickInterval);
    connect(&timer_, &QTimer::timeout, this, [this] { Tick(ReadClocks()); });
    Reconfigure(minutes);
}

TickReading PeriodicSyncTimer::ReadClocks() const
{
    return {QDateTime::currentSecsSinceEpoch(), steady_.elapsed() / kMillisecondsPerSecond};
}

void PeriodicSyncTimer::Reconfigure(int minutes)
{
    sync_.Reconfigure(minutes);
    if (sync_.Minutes() == 0) {
        timer_.stop();
        return;
    }
    // A stopped timer saw no ticks: the time since the last one is no sleep.
    if (!timer_.isActive())
        lastTick_ = ReadClocks();
    timer_.start();
}

void PeriodicSyncTimer::Tick(const TickReading& reading)
{
    // Told before the tick, so that the wake-up waits for the network instead of the
    // overdue interval running at once.
    if (SleptBetween(lastTick_, reading))
        sync_.Resumed();
    lastTick_ = reading;
    sync_.Tick();
}

void PeriodicSyncTimer::ReachabilityChanged(QNetworkInformation::Reachability reachability)
{
    using Reachability = QNetworkInformation::Reachability;
    const Reachability before = std::exchange(reachability_, reachability);
    if (reachability == Reachability::Online && before != Reachability::Online && before != Reachability::Unknown)
        sync_.NetworkBack();
}

PeriodicSyncTimer* StartPeriodicSync(QObject* owner, const AppSettings& settings, const Clock& clock,
                                     PeriodicSyncHooks hooks)
{
    auto* timer = new PeriodicSyncTimer(owner, settings.nSyncMinutes, clock, std::move(hooks));
    // Without a backend (no network manager to ask) only the interval and wake-ups count.
    if (QNetworkInformation::loadDefaultBackend()) {
        QNetworkInformation* network = QNetworkInformation::instance();
        timer->ReachabilityChanged(network->reachability());
        QObject::connect(network, &QNetworkInformation::reachabilityChanged, timer,
                         &PeriodicSyncTimer::ReachabilityChanged);
    }
    return timer;
}

void ReconfigurePeriodicSync(QObject* owner, int minutes)
{
    if (auto* timer = owner->findChild<PeriodicSyncTimer*>(QString(), Qt::FindDirectChildrenOnly))
        timer->Reconfigure(minutes);
}

} // namespace orb
