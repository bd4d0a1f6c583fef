#pragma once

#include <sqlite3.h>

namespace orb {

// The schema this program reads and writes, kept in PRAGMA user_version. A file with a
// higher number was written by a newer program and is not ours to change.
constexpr int kCacheSchemaVersion = 3;

int ReadSchemaVersion(sqlite3* db);

// Brings a database at `fromVersion` (0: a new, empty file) to `toVersion` one step at a
// time, each step in its own transaction together with its new version number, so an
// interruption leaves a file at a version it really has. Throws sqlite::Error.
void MigrateCache(sqlite3* db, int fromVersion, int toVersion = kCacheSchemaVersion);

} // namespace orb
