#pragma once

#include "app/web_dialog.h"

#include <QApplication>

namespace orb::test {

// One application for the whole executable; the embedded browser needs its attribute set
// before the application exists.
inline QApplication& WidgetApp()
{
    static int argc = 1;
    static char name[] = "test_app_widgets";
    static char* argv[] = {name, nullptr};
    static const bool prepared = [] {
        WebLoginPage::PrepareApplication();
        return true;
    }();
    static QApplication app(argc, argv);
    (void)prepared;
    return app;
}

} // namespace orb::test
