#pragma once

#include "translations/catalogue_choice.h"

namespace orb {

// Chooses the catalogue from ORB_LANG and the system locale (LANGUAGE, LC_ALL, LC_MESSAGES,
// LANG on Linux) and installs it, with Qt's own texts for the standard buttons, before any
// window is made. Needs the application object; returns what it chose.
Catalogue InstallTranslations();

// The choice InstallTranslations makes, read from this process's environment.
Catalogue CatalogueForThisProcess();

} // namespace orb
