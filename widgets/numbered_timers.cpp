#include "widgets/numbered_timers.h"

namespace orb {

void NumberedTimers::Start(int id, int intervalMs)
{
    std::unique_ptr<QTimer>& timer = timers_[id];
    if (!timer) {
        timer = std::make_unique<QTimer>();
        QObject::connect(timer.get(), &QTimer::timeout, [this, id] { handler_(id); });
    }
    timer->start(intervalMs);
}

void NumberedTimers::Stop(int id)
{
    const auto it = timers_.find(id);
    if (it != timers_.end())
        it->second->stop();
}

bool NumberedTimers::IsActive(int id) const
{
    const auto it = timers_.find(id);
    return it != timers_.end() && it->second->isActive();
}

int NumberedTimers::Interval(int id) const
{
    const auto it = timers_.find(id);
    return it == timers_.end() ? -1 : it->second->interval();
}

bool NumberedTimers::Fire(int id)
{
    if (!IsActive(id))
        return false;
    handler_(id);
    return true;
}

} // namespace orb
