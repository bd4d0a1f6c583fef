#pragma once

#include <map>
#include <string>
#include <vector>

namespace orb {

// Seconds since 1970-01-01 00:00 UTC.
using Instant = long long;

// The reminders already shown, each with the moment it was due, so that a reminder is
// shown once across reloads and restarts. Kept in a small owner-only file beside info.dat.
class FiredKeys
{
public:
    static constexpr const char* kFileName = "reminders-shown.dat";
    // Long enough for any reminder still within the window of loaded days to stay known.
    static constexpr Instant kKeepSeconds = 4 * 86400;

    bool Has(const std::string& key) const { return keys_.count(key) != 0; }
    void Add(const std::string& key, Instant dueAt) { keys_[key] = dueAt; }
    std::size_t size() const { return keys_.size(); }
    // Forgets keys due more than kKeepSeconds before `now`; true when any went.
    bool Prune(Instant now);

    // One line per key: the due moment, a tab, the key. Lines that are not that are skipped.
    std::string Text() const;
    static FiredKeys FromText(const std::string& text);

    // A missing file is an empty set, not an error.
    static bool Load(const std::string& path, FiredKeys& keys, std::string& error);
    bool Save(const std::string& path, std::string& error) const;

private:
    std::map<std::string, Instant> keys_;
};

// The fields joined by tabs, each with '%', tabs and line breaks escaped, so that no id
// can break a line of the file or pass for another key.
std::string MakeReminderKey(const std::vector<std::string>& fields);

} // namespace orb
