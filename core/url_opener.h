#pragma once

#include <string>

namespace orb {

// Opens a page in the user's browser.
class UrlOpener
{
public:
    virtual ~UrlOpener() = default;
    virtual void Open(const std::string& url) = 0;
};

} // namespace orb
