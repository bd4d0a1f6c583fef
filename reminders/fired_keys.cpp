#include "reminders/fired_keys.h"

#include "core/atomic_file.h"

#include <charconv>

namespace orb {

namespace {

constexpr char kSeparator = '\t';

std::string EscapeField(const std::string& field)
{
    std::string escaped;
    for (const char c : field) {
        switch (c) {
        case '%':
            escaped += "%25";
            break;
        case '\t':
            escaped += "%09";
            break;
        case '\n':
            escaped += "%0A";
            break;
        case '\r':
            escaped += "%0D";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

} // namespace

std::string MakeReminderKey(const std::vector<std::string>& fields)
{
    std::string key;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i)
            key += kSeparator;
        key += EscapeField(fields[i]);
    }
    return key;
}

bool FiredKeys::Prune(Instant now)
{
    return std::erase_if(keys_, [now](const auto& entry) { return entry.second < now - kKeepSeconds; }) != 0;
}

std::string FiredKeys::Text() const
{
    std::string text;
    for (const auto& [key, dueAt] : keys_) {
        // Keys are made by MakeReminderKey; anything else could not be read back.
        if (key.find_first_of("\r\n") != std::string::npos)
            continue;
        text += std::to_string(dueAt) + kSeparator + key + '\n';
    }
    return text;
}

FiredKeys FiredKeys::FromText(const std::string& text)
{
    FiredKeys keys;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string_view line(text.data() + start, end - start);
        start = end + 1;
        const std::size_t tab = line.find(kSeparator);
        if (tab == std::string_view::npos || tab + 1 == line.size())
            continue;
        Instant dueAt = 0;
        const auto [past, failure] = std::from_chars(line.data(), line.data() + tab, dueAt);
        if (failure != std::errc() || past != line.data() + tab)
            continue;
        keys.Add(std::string(line.substr(tab + 1)), dueAt);
    }
    return keys;
}

bool FiredKeys::Load(const std::string& path, FiredKeys& keys, std::string& error)
{
    std::string text;
    bool missing = false;
    if (!ReadWholeFile(path, text, missing, error)) {
        if (!missing)
            return false;
        text.clear();
    }
    error.clear();
    keys = FromText(text);
    return true;
}

bool FiredKeys::Save(const std::string& path, std::string& error) const
{
    return WriteFileAtomically(path, Text(), error);
}

} // namespace orb
