#include "tools/fake-service/json_body.h"

#include <json/json.h>

#include <memory>

namespace orb::fake {

namespace {

bool IsControl(char c)
{
    return static_cast<unsigned char>(c) < 0x20;
}

// The index of the last byte of the comment starting at `at`, or `at` when none starts there.
// jsoncpp takes comments, and a quote inside one must not open a string.
std::size_t SkipComment(std::string_view text, std::size_t at)
{
    if (text[at] != '/' || at + 1 >= text.size())
        return at;
    if (text[at + 1] == '/') {
        const std::size_t end = text.find('\n', at);
        return end == std::string_view::npos ? text.size() - 1 : end;
    }
    if (text[at + 1] == '*') {
        const std::size_t end = text.find("*/", at + 2);
        return end == std::string_view::npos ? text.size() - 1 : end + 1;
    }
    return at;
}

} // namespace

bool HasRawControlInString(std::string_view text)
{
    bool inString = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (!inString) {
            if (c == '"')
                inString = true;
            else
                i = SkipComment(text, i);
        } else if (c == '\\') {
            // The escaped byte is part of the string too.
            if (++i < text.size() && IsControl(text[i]))
                return true;
        } else if (c == '"') {
            inString = false;
        } else if (IsControl(c)) {
            return true;
        }
    }
    return false;
}

bool ReadJsonObjectBody(std::string_view text, Json::Value& root)
{
    if (HasRawControlInString(text))
        return false;
    try {
        Json::CharReaderBuilder builder;
        const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
        std::string errors;
        return reader->parse(text.data(), text.data() + text.size(), &root, &errors) && root.isObject();
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace orb::fake
