#pragma once

#include "core/ui_text.h"

#include <QCoreApplication>
#include <QString>

namespace orb {

// A text marked with ORB_TEXT, in the user's language, for a window to show.
inline QString UiText(const char* source)
{
    return QCoreApplication::translate(kTextContext, source);
}

} // namespace orb
