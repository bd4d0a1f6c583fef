#pragma once

#include "app/web_dialog.h"

#include <QApplication>
#include <gtest/gtest.h>

namespace orb::test {

// One application for the whole executable. The embedded browser needs its attribute set
// before the application exists, and its clean-up must run before the program's static
// objects go, so the application is deleted when the tests end rather than at exit.
class WidgetAppEnvironment : public ::testing::Environment
{
public:
    static QApplication& App()
    {
        static int argc = 1;
        static char name[] = "test_app_widgets";
        static char* argv[] = {name, nullptr};
        if (!app_) {
            // The browser will not start as root with its sandbox, and CI runs as root. The
            // test registration means to set this too, but the variable does not reach ctest.
            if (qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
                qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
            WebLoginPage::PrepareApplication();
            app_ = new QApplication(argc, argv);
        }
        return *app_;
    }

    void TearDown() override
    {
        delete app_;
        app_ = nullptr;
    }

private:
    static inline QApplication* app_ = nullptr;
};

inline ::testing::Environment* const kWidgetAppEnvironment =
    ::testing::AddGlobalTestEnvironment(new WidgetAppEnvironment);

inline QApplication& WidgetApp()
{
    return WidgetAppEnvironment::App();
}

} // namespace orb::test
