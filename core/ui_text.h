#pragma once

#include <string>

// Marks a text the user reads, as written in the design. lupdate reads ORB_TEXT as
// QT_TRANSLATE_NOOP (translations/CMakeLists.txt passes the alias), so the first argument is
// always the one context every text shares: "OrbCalender".
#define ORB_TEXT(context, text) text

namespace orb {

inline constexpr const char* kTextContext = "OrbCalender";

// Turns a marked text into the user's language. The window layer installs one at start-up,
// before any thread runs; without one every text stays as written.
using TextTranslator = std::string (*)(const char* source);
void SetTextTranslator(TextTranslator translator);

// A template is translated before its values are put in, so the catalogue holds it whole.
std::string Translated(const char* source);

} // namespace orb
