#include "widgets/accessible_announce.h"

namespace orb {

namespace {
AccessibleListener listener = nullptr;
} // namespace

AccessibleListener SetAccessibleListener(AccessibleListener replacement)
{
    const AccessibleListener previous = listener;
    listener = replacement;
    return previous;
}

bool AccessibleAnnouncementsHeard()
{
    return listener != nullptr || QAccessible::isActive();
}

void Announce(QAccessibleEvent& event)
{
    if (listener)
        listener(&event);
    QAccessible::updateAccessibility(&event);
}

} // namespace orb
