#pragma once

#include <cstddef>
#include <string>

namespace orb {

// The first `limit` characters of UTF-8 `text`, followed by "…" when anything was cut; a
// character is never split.
std::string ShortenText(const std::string& text, std::size_t limit);

} // namespace orb
