#include "app/shell_core/profile_file.h"

#include "core/atomic_file.h"

#include <algorithm>
#include <cstdio>
#include <strings.h>

namespace orb {

namespace {

constexpr const char* kLineEnd = "\r\n";
constexpr const char* kHexDigits = "0123456789ABCDEF";
// More NULs than this, making up more than a tenth of the file, is no damaged text file.
constexpr std::size_t kStrayNulLimit = 16;
constexpr std::size_t kNulShareLimit = 10;

std::string Trim(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    const std::size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

bool SameName(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && strncasecmp(a.c_str(), b.c_str(), a.size()) == 0;
}

// "[name]" gives name; anything else gives nothing.
std::optional<std::string> SectionHeader(const std::string& line)
{
    const std::string trimmed = Trim(line);
    if (trimmed.size() < 2 || trimmed.front() != '[')
        return std::nullopt;
    const std::size_t close = trimmed.find(']');
    if (close == std::string::npos)
        return std::nullopt;
    return Trim(trimmed.substr(1, close - 1));
}

// The key of an entry line; comments and lines without "=" have none.
std::optional<std::string> EntryKey(const std::string& line)
{
    const std::string trimmed = Trim(line);
    if (trimmed.empty() || trimmed.front() == ';')
        return std::nullopt;
    const std::size_t equals = trimmed.find('=');
    if (equals == std::string::npos)
        return std::nullopt;
    return Trim(trimmed.substr(0, equals));
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// The reader refuses control bytes but the tab, and CR, LF or NUL would end or cut the entry.
bool FitsInALine(char c)
{
    return static_cast<unsigned char>(c) >= 0x20 || c == '\t';
}

// Surrounding spaces and quotes would be stripped on reading, so such values are quoted.
std::string QuoteIfNeeded(const std::string& value)
{
    if (value.empty())
        return value;
    const bool edgeSpace = IsBlank(value.front()) || IsBlank(value.back());
    const bool quoted = value.size() >= 2 && value.front() == '"' && value.back() == '"';
    return edgeSpace || quoted ? "\"" + value + "\"" : value;
}

// A value with bytes a line cannot hold is written "X": X has "\\" for a backslash and
// "\xHH" for those bytes, and for a blank or quote at either end. QuoteIfNeeded only ever
// writes "X" with a blank or quote at an end of X, so the two forms never meet.
std::string EscapedForm(const std::string& value)
{
    std::string out = "\"";
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        const bool atEdge = i == 0 || i + 1 == value.size();
        if (c == '\\') {
            out += "\\\\";
        } else if (!FitsInALine(c) || (atEdge && (IsBlank(c) || c == '"'))) {
            const auto byte = static_cast<unsigned char>(c);
            out += "\\x";
            out += kHexDigits[byte >> 4];
            out += kHexDigits[byte & 0x0F];
        } else {
            out += c;
        }
    }
    return out + "\"";
}

// The value an EscapedForm stands for; nothing when `raw` is not one.
std::optional<std::string> FromEscapedForm(const std::string& raw)
{
    if (raw.size() < 3 || raw.front() != '"' || raw.back() != '"')
        return std::nullopt;
    const std::string inner = raw.substr(1, raw.size() - 2);
    for (const char edge : {inner.front(), inner.back()}) {
        if (IsBlank(edge) || edge == '"')
            return std::nullopt;
    }
    if (inner.find('\\') == std::string::npos)
        return std::nullopt;
    std::string value;
    for (std::size_t i = 0; i < inner.size(); ++i) {
        if (inner[i] != '\\') {
            value += inner[i];
        } else if (i + 1 < inner.size() && inner[i + 1] == '\\') {
            value += '\\';
            ++i;
        } else if (i + 3 < inner.size() && inner[i + 1] == 'x' && HexValue(inner[i + 2]) >= 0 &&
                   HexValue(inner[i + 3]) >= 0) {
            value += static_cast<char>(HexValue(inner[i + 2]) * 16 + HexValue(inner[i + 3]));
            i += 3;
        } else {
            return std::nullopt; // a backslash of a hand-written value
        }
    }
    // The writer escapes only values with such a byte: a hand-written "C:\\dir" stays as it was.
    if (std::all_of(value.begin(), value.end(), FitsInALine))
        return std::nullopt;
    return value;
}

} // namespace

ProfileFile ProfileFile::Parse(const std::string& text)
{
    ProfileFile profile;
    std::size_t start = 0;
    Section* current = nullptr;
    while (start < text.size()) {
        // CRLF, LF, or a lone CR as older Mac editors wrote.
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
        if (const auto header = SectionHeader(line)) {
            profile.sections_.push_back({*header, {}});
            current = &profile.sections_.back();
        } else if (current) {
            current->lines.push_back(line);
        } else {
            profile.preamble_.push_back(line);
        }
    }
    // A trailing blank line is the writer's own; keep the file from growing on every save.
    for (Section& section : profile.sections_) {
        while (!section.lines.empty() && Trim(section.lines.back()).empty())
            section.lines.pop_back();
    }
    return profile;
}

ProfileFile::LoadResult ProfileFile::Read(const std::string& path, std::string* error)
{
    *this = ProfileFile();
    std::string text;
    bool missing = false;
    std::string why;
    if (!ReadWholeFile(path, text, missing, why)) {
        if (error)
            *error = why;
        return missing ? LoadResult::Missing : LoadResult::Failed;
    }
    std::optional<ProfileFile> read = FromFileBytes(text);
    if (!read)
        return LoadResult::Refused;
    *this = std::move(*read);
    return LoadResult::Read;
}

std::optional<ProfileFile> ProfileFile::FromFileBytes(const std::string& bytes)
{
    // A few NULs are damage to step over; many, or other control bytes, mean another kind
    // of file, which must not be read as settings and then saved over.
    std::string kept;
    kept.reserve(bytes.size());
    std::size_t nuls = 0;
    for (const char c : bytes) {
        if (c == '\0') {
            ++nuls;
        } else if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\r' && c != '\n') {
            return std::nullopt;
        } else {
            kept += c;
        }
    }
    if (nuls > kStrayNulLimit && nuls * kNulShareLimit > bytes.size())
        return std::nullopt;
    return Parse(kept);
}

std::string ProfileFile::Serialize() const
{
    std::string out;
    for (const std::string& line : preamble_)
        out += line + kLineEnd;
    for (const Section& section : sections_) {
        out += "[" + section.name + "]" + kLineEnd;
        for (const std::string& line : section.lines)
            out += line + kLineEnd;
    }
    return out;
}

bool ProfileFile::SaveAtomically(const std::string& path, std::string* error) const
{
    std::string why;
    const bool saved = WriteFileAtomically(path, Serialize(), why);
    if (error)
        *error = why;
    return saved;
}

const ProfileFile::Section* ProfileFile::FindSection(const std::string& name) const
{
    for (const Section& section : sections_) {
        if (SameName(section.name, name))
            return &section;
    }
    return nullptr;
}

ProfileFile::Section& ProfileFile::SectionFor(const std::string& name)
{
    for (Section& section : sections_) {
        if (SameName(section.name, name))
            return section;
    }
    sections_.push_back({name, {}});
    return sections_.back();
}

std::optional<std::string> ProfileFile::RawValue(const std::string& sectionName, const std::string& key) const
{
    const Section* section = FindSection(sectionName);
    if (!section)
        return std::nullopt;
    for (const std::string& line : section->lines) {
        const auto lineKey = EntryKey(line);
        if (lineKey && SameName(*lineKey, key))
            return Trim(line.substr(line.find('=') + 1));
    }
    return std::nullopt;
}

void ProfileFile::SetRawValue(const std::string& sectionName, const std::string& key, const std::string& value)
{
    Section& section = SectionFor(sectionName);
    const std::string entry = key + "=" + value;
    for (std::string& line : section.lines) {
        const auto lineKey = EntryKey(line);
        if (lineKey && SameName(*lineKey, key)) {
            line = entry;
            return;
        }
    }
    section.lines.push_back(entry);
}

std::optional<std::string> ProfileFile::GetString(const std::string& section, const std::string& key) const
{
    auto value = RawValue(section, key);
    if (!value)
        return value;
    if (std::optional<std::string> escaped = FromEscapedForm(*value))
        return escaped;
    if (value->size() >= 2 && value->front() == '"' && value->back() == '"')
        *value = value->substr(1, value->size() - 2);
    return value;
}

void ProfileFile::SetString(const std::string& section, const std::string& key, const std::string& value)
{
    const bool fits = std::all_of(value.begin(), value.end(), FitsInALine);
    SetRawValue(section, key, fits ? QuoteIfNeeded(value) : EscapedForm(value));
}

std::optional<std::vector<std::uint8_t>> ProfileFile::GetStruct(const std::string& section, const std::string& key,
                                                                std::size_t size) const
{
    const auto value = RawValue(section, key);
    if (!value || value->size() != 2 * (size + 1))
        return std::nullopt;
    std::vector<std::uint8_t> bytes;
    bytes.reserve(size + 1);
    for (std::size_t i = 0; i < value->size(); i += 2) {
        const int high = HexValue((*value)[i]);
        const int low = HexValue((*value)[i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
    }
    const std::uint8_t checksum = bytes.back();
    bytes.pop_back();
    std::uint8_t sum = 0;
    for (const std::uint8_t byte : bytes)
        sum = static_cast<std::uint8_t>(sum + byte);
    if (sum != checksum)
        return std::nullopt;
    return bytes;
}

void ProfileFile::SetStruct(const std::string& section, const std::string& key, const std::vector<std::uint8_t>& bytes)
{
    std::string value;
    value.reserve(2 * (bytes.size() + 1));
    std::uint8_t sum = 0;
    const auto append = [&value](std::uint8_t byte) {
        value += kHexDigits[byte >> 4];
        value += kHexDigits[byte & 0x0F];
    };
    for (const std::uint8_t byte : bytes) {
        append(byte);
        sum = static_cast<std::uint8_t>(sum + byte);
    }
    append(sum);
    SetRawValue(section, key, value);
}

} // namespace orb
