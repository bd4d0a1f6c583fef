#pragma once

#include <string_view>

namespace Json {
class Value;
}

namespace orb::fake {

// True when a string (member names included) holds a raw byte below 0x20. Google's parser
// refuses such a body; jsoncpp takes it, so the routes look for themselves.
bool HasRawControlInString(std::string_view text);

// A request body read as Google reads it: a JSON object whose strings hold no raw
// control byte. False for anything else.
bool ReadJsonObjectBody(std::string_view text, Json::Value& root);

} // namespace orb::fake
