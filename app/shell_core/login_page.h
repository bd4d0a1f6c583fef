#pragma once

#include "service/service_context.h"

#include <string>

namespace orb {

// The sign-in page the shell shows when the stored token does not work. Behind an
// interface so the shell's tests can answer it without a browser.
class LoginPage
{
public:
    virtual ~LoginPage() = default;
    // Shows the consent page modally; true with the captured code when it reached the
    // approval page (the code may be empty), false when the user closed it.
    virtual bool Run(const ServiceConfig& config, std::string& code) = 0;
    // Ends a running page as if the user closed it (the program is exiting). A page that
    // is a dialog of this process needs nothing: exit closes every dialog.
    virtual void Cancel() {}
};

} // namespace orb
