#pragma once

#include <QAccessible>

namespace orb {

// Every accessibility event of the self-drawn controls goes out through here. Qt passes
// events on only while a screen reader has switched accessibility on; a listener hears
// them regardless, which is how tests on the offscreen platform follow them.
using AccessibleListener = void (*)(QAccessibleEvent* event);
// Returns the listener it replaces.
AccessibleListener SetAccessibleListener(AccessibleListener listener);

// Whether anyone would hear an event: the controls make no interfaces for nobody.
bool AccessibleAnnouncementsHeard();
void Announce(QAccessibleEvent& event);

} // namespace orb
