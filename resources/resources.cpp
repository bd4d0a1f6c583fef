#include "resources/resources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE must be used outside any namespace.
static void InitOrbResources()
{
    Q_INIT_RESOURCE(orb_resources);
}

namespace orb {

void EnsureResources()
{
    static const bool initialised = [] {
        InitOrbResources();
        return true;
    }();
    (void)initialised;
}

} // namespace orb
