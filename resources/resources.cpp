#include "resources/resources.h"

#include <QString>
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

QIcon ApplicationIcon()
{
    EnsureResources();
    QIcon icon;
    for (const char* size : {"16", "32", "48", "256"})
        icon.addFile(QStringLiteral(":/icons/%1.png").arg(QString::fromLatin1(size)));
    return icon;
}

} // namespace orb
