#pragma once

#include "core/clock.h"

#include <functional>
#include <optional>

namespace orb {

// What a pass the program starts by itself needs from the rest of the program.
struct PeriodicSyncHooks
{
    // False while a pass, an edit or a modal dialog runs: a pass now would get in the way.
    std::function<bool()> canRun;
    // Starts a pass that takes no focus and covers nothing; whether it started.
    std::function<bool()> run;
};

// A wall-clock and a monotonic reading taken at one tick. The monotonic clock stops while
// the machine sleeps; the wall clock does not.
struct TickReading
{
    long long wallSeconds = 0;
    long long steadySeconds = 0;
};

// The wall clock must run ahead of the monotonic one by this much before a gap counts as
// sleep: small steps of time synchronisation are not a wake-up.
constexpr long long kSleepGapSeconds = 60;

// Whether the machine slept between two ticks.
bool SleptBetween(const TickReading& before, const TickReading& after);

// Decides when the program runs a pass of its own: every `minutes` after the last pass that
// started (whoever started it), and soon after the machine wakes or the network returns.
// Plain C++ with an injected clock; a timer calls Tick.
class PeriodicSync
{
public:
    // A pass that waits for a wake-up or the network keeps at least this far from the last
    // one, so a flapping connection or a wake-up followed by the network makes no burst.
    static constexpr long long kSoonGapSeconds = 60;
    // After a wake-up the network usually needs a few seconds to come back.
    static constexpr long long kSettleSeconds = 15;

    // The interval counts from now: the program loads once at start.
    PeriodicSync(int minutes, const Clock& clock, PeriodicSyncHooks hooks);

    // Runs a pass when one is due and `canRun` allows it; a pass that cannot start now stays
    // due and is tried at the next tick.
    void Tick();
    // A pass started, by this or by the user (F5, the menu): the interval counts from now.
    void NotePassStarted();
    // The machine woke up, or the network came back: one pass soon.
    void Resumed();
    void NetworkBack();
    // A new interval from the options; 0 stops the passes.
    void Reconfigure(int minutes);

    int Minutes() const { return minutes_; }

private:
    long long Now() const;

    int minutes_;
    const Clock& clock_;
    PeriodicSyncHooks hooks_;
    long long lastStart_;
    bool soon_ = false;
    std::optional<long long> notBefore_; // after a wake-up, nothing until the network settles
};

} // namespace orb
