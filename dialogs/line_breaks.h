#pragma once

#include <string>
#include <string_view>

namespace orb {

// The editors' description boxes break lines with "\r\n"; the service with "\n".
std::string ToEditorLineBreaks(std::string_view stored);
std::string ToStoredLineBreaks(std::string_view shown);

} // namespace orb
