#pragma once

#include <json/json.h>

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace orb::fake {

// A partial-answer selector, the `fields` parameter of Google's APIs: "a,b/c,d(e,f),*".
// A member selected without a sub-selection comes whole; "*" selects every member at its
// level.
struct FieldSelection
{
    std::map<std::string, FieldSelection, std::less<>> members;
    bool whole = false; // named without a sub-selection: everything below it comes

    friend bool operator==(const FieldSelection&, const FieldSelection&) = default;
};

// Nothing for a selector that is empty or does not follow the grammar (an empty name, an
// unbalanced or empty parenthesis, a stray character).
std::optional<FieldSelection> ParseFieldSelection(std::string_view text);

// `document` with only the selected members. In an array the selection applies to each
// element; a scalar that a sub-selection asks members of is left out.
Json::Value SelectFields(const Json::Value& document, const FieldSelection& selection);

} // namespace orb::fake
