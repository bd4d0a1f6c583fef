#include "app/shell_core/periodic_sync.h"

#include "core/sync_minutes.h"

#include <utility>

namespace orb {

namespace {

constexpr long long kSecondsPerMinute = 60;

} // namespace

bool SleptBetween(const TickReading& before, const TickReading& after)
{
    const long long wall = after.wallSeconds - before.wallSeconds;
    const long long steady = after.steadySeconds - before.steadySeconds;
    return wall - steady >= kSleepGapSeconds;
}

PeriodicSync::PeriodicSync(int minutes, const Clock& clock, PeriodicSyncHooks hooks)
    : minutes_(ClampSyncMinutes(minutes)), clock_(clock), hooks_(std::move(hooks)), lastStart_(Now())
{}

long long PeriodicSync::Now() const
{
    return LocalSeconds(clock_.Now());
}

void PeriodicSync::Tick()
{
    if (minutes_ == 0)
        return;
    const long long now = Now();
    // A clock set back (or summer time ending) would otherwise hold every pass until the
    // old time came round again.
    if (now < lastStart_)
        lastStart_ = now;
    if (notBefore_) {
        if (now < *notBefore_ && *notBefore_ - now <= kSettleSeconds)
            return;
        notBefore_.reset();
    }
    const long long elapsed = now - lastStart_;
    const bool due = elapsed >= minutes_ * kSecondsPerMinute || (soon_ && elapsed >= kSoonGapSeconds);
    if (!due || !hooks_.canRun() || !hooks_.run())
        return;
    NotePassStarted();
}

void PeriodicSync::NotePassStarted()
{
    lastStart_ = Now();
    soon_ = false;
}

void PeriodicSync::Resumed()
{
    if (minutes_ == 0)
        return;
    soon_ = true;
    notBefore_ = Now() + kSettleSeconds;
}

void PeriodicSync::NetworkBack()
{
    if (minutes_ == 0)
        return;
    soon_ = true;
}

void PeriodicSync::Reconfigure(int minutes)
{
    minutes_ = ClampSyncMinutes(minutes);
    if (minutes_ == 0) {
        soon_ = false;
        notBefore_.reset();
    }
}

} // namespace orb
