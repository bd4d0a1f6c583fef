#pragma once

#include "service/records.h"

#include <string>
#include <vector>

namespace orb {

// Where one listing stands with the service, so the next pass can ask for changes only.
// Empty texts mean "not known": the next listing is a whole one.
struct SyncState
{
    std::string syncToken;
    std::string updatedMin;
    std::string timeMin; // the date window the listing covers
    std::string timeMax;
    std::string lastSuccess; // the caller's stamp of the last listing that succeeded

    friend bool operator==(const SyncState&, const SyncState&) = default;
};

// The changes an incremental listing of one calendar found. Deletions are applied after
// the upserts, so an id in both ends up deleted.
struct EventChanges
{
    std::vector<EventRecord> upserts;
    std::vector<std::string> deletions;
};

} // namespace orb
