#pragma once

#include <string>

namespace orb {

// Reads CP949 (the Korean Windows code page) into UTF-8; for face names written by the
// Windows build. Undecodable bytes become U+FFFD.
std::string Cp949ToUtf8(const std::string& text);

} // namespace orb
