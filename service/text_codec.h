#pragma once

#include <string>
#include <string_view>

namespace orb {

// Escapes a value for a JSON string in a request body: backslash, line feed and double
// quote, in that order. With `percent` on, every byte of 0x80 and above is then written
// as %XX (upper-case hex); ASCII is left as it is.
std::string EncodeJsonText(const std::string& text, bool percent);

// A value for a JSON string in a request body: EncodeJsonText, then every other control
// character as \u00XX. Sent raw (a pasted tab) they make the whole body invalid JSON, and a
// strict service refuses it.
std::string EncodeJsonBodyText(const std::string& text);

// Percent-encodes an id for a URL path: letters, digits and !'()*-./_~ stay, every other
// byte becomes %xx (lower-case hex).
std::string EncodeUrlComponent(const std::string& text);

// An id as one whole path segment: EncodeUrlComponent, then "/" as %2F, and an id that is
// "." or ".." as %2E or %2E%2E, since clients and servers squash dot segments and a
// slash starts another one: no id can reach another resource.
std::string EncodePathSegment(const std::string& text);

// Percent-encodes a query value: letters, digits and -._~ stay, every other byte becomes
// %XX. Used where a user's free text enters a query string.
std::string EncodeQueryValue(const std::string& text);

// Validates UTF-8 from a service answer; a broken sequence becomes U+FFFD.
std::string DecodeUtf8Text(std::string_view text);

// True when the text is well-formed UTF-8.
bool IsValidUtf8(std::string_view text);

} // namespace orb
