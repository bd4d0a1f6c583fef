#pragma once

#include <string>

namespace orb {

// The files of one cache: the database and the companions SQLite keeps beside it.

// Makes `path` a regular file only its owner may read or write (0600), creating it empty
// when missing. SQLite gives its -wal and -shm files the database's own mode, so they
// follow. False with why.
bool MakeOwnerOnlyFile(const std::string& path, std::string& error);
// Tightens the companions that exist (left over from a looser run) to 0600.
bool MakeCompanionsOwnerOnly(const std::string& path, std::string& error);

// Renames the database to `path` + `suffix` and its write-ahead log along with it, so the
// moved copy still opens with everything it held; the shared-memory index is dropped, SQLite
// rebuilds it. True with the new name in `movedTo`.
bool MoveCacheAside(const std::string& path, const std::string& suffix, std::string& movedTo, std::string& error);

// Removes the database and its companions; one that is already gone is no failure.
bool DeleteCacheFiles(const std::string& path, std::string& error);

} // namespace orb
