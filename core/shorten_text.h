#pragma once

#include <cstddef>
#include <string>

namespace orb {

// The first `limit` characters of UTF-8 `text`, followed by "…" when anything was cut; a
// character is never split.
std::string ShortenText(const std::string& text, std::size_t limit);

// A message pattern with its "%s" replaced by `title` (a record's title, a file name).
std::string WithTitle(const std::string& pattern, const std::string& title);

} // namespace orb
