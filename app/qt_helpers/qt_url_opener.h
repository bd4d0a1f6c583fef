#pragma once

#include "core/url_opener.h"

#include <string>

namespace orb {

// Opens pages in the user's browser, from any thread; BROWSER, when set, names the
// browser as it does for xdg-open.
class QtUrlOpener : public UrlOpener
{
public:
    void Open(const std::string& url) override;
};

} // namespace orb
