#pragma once

#include <string>

namespace orb {

// Replaces `path` with `text` in one step (a temporary file in the same folder, then a rename), so
// a reader finds the old file or the new one, never part of either. Only the owner may read the
// file: the files written this way hold tokens.
bool WriteFileAtomically(const std::string& path, const std::string& text, std::string& error);

// The whole file; false with the reason otherwise, and `missing` when there is no such file.
bool ReadWholeFile(const std::string& path, std::string& text, bool& missing, std::string& error);

} // namespace orb
