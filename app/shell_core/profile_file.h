#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orb {

// A private-profile (INI) file read and written the way the Windows profile functions
// do: case-insensitive section and key names, plain string entries, and struct entries as
// upper-case hex bytes followed by a one-byte checksum. Lines this program does not
// change are kept exactly as they were.
class ProfileFile
{
public:
    static ProfileFile Parse(const std::string& text);

    enum class LoadResult
    {
        Read,
        Missing,
        Refused, // read, but its bytes are no settings text
        Failed,  // there, but reading it failed (no descriptors, an I/O error, no permission)
    };
    // Reads the file, taking CR, LF or CRLF line ends and ignoring stray NUL bytes; anything
    // but Read leaves an empty profile. `error`, when given, says why a read failed.
    LoadResult Read(const std::string& path, std::string* error = nullptr);
    // The same rules over a file's bytes: nothing when they are not a settings text.
    static std::optional<ProfileFile> FromFileBytes(const std::string& bytes);
    bool Load(const std::string& path) { return Read(path) == LoadResult::Read; }
    // Writes CRLF lines to a temporary file in the same folder, owner-only, then renames
    // it over `path`, so a failed write leaves the old file intact.
    // `error`, when given, says why a write failed.
    bool SaveAtomically(const std::string& path, std::string* error = nullptr) const;
    std::string Serialize() const;

    // Any bytes at all: a value a line cannot hold as it is (control bytes, line breaks, NUL)
    // is written in an escaped form that no earlier writer produced, so every older file
    // still reads as it did.
    std::optional<std::string> GetString(const std::string& section, const std::string& key) const;
    bool HasSection(const std::string& section) const { return FindSection(section) != nullptr; }
    void SetString(const std::string& section, const std::string& key, const std::string& value);

    // The bytes of a struct entry, or nothing when the entry is missing, malformed, of
    // another length or has a wrong checksum.
    std::optional<std::vector<std::uint8_t>> GetStruct(const std::string& section, const std::string& key,
                                                       std::size_t size) const;
    void SetStruct(const std::string& section, const std::string& key, const std::vector<std::uint8_t>& bytes);

private:
    struct Section
    {
        std::string name;
        std::vector<std::string> lines; // raw lines after the header
    };

    const Section* FindSection(const std::string& name) const;
    Section& SectionFor(const std::string& name);
    std::optional<std::string> RawValue(const std::string& section, const std::string& key) const;
    void SetRawValue(const std::string& section, const std::string& key, const std::string& value);

    std::vector<std::string> preamble_; // lines before the first section
    std::vector<Section> sections_;
};

} // namespace orb
