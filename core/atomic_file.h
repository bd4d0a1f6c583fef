#pragma once

#include <string>

namespace orb {

// Replaces `path` with `text` in one step (a temporary file in the same folder, then a rename), so
// a reader finds the old file or the new one, never part of either. Only the owner may read the
// file: the files written this way hold tokens. A symbolic link is written through: its target
// is replaced, in the target's folder, and the link stays. A file its owner made read-only is
// left as it is (false, with the reason).
bool WriteFileAtomically(const std::string& path, const std::string& text, std::string& error);

// Removes the temporaries an interrupted WriteFileAtomically of `path` left behind: only
// names it makes, in the folder of `path` itself (never a link's target's), that are the
// user's own files and older than an hour (a second instance may be writing one now).
void RemoveStaleTemporaries(const std::string& path);

// Whether only the user can change what `path` holds: the file is the user's own and no one
// else may write it, nor the folders it sits in (through a link too). False with why.
bool OnlyOwnerCanChange(const std::string& path, std::string& why);

// Renames `path` to `path` + `suffix` (a number added should that name be taken); true with
// the new name in `movedTo`.
bool MoveAside(const std::string& path, const std::string& suffix, std::string& movedTo, std::string& error);

// The whole file; false with the reason otherwise, and `missing` when there is no such file.
bool ReadWholeFile(const std::string& path, std::string& text, bool& missing, std::string& error);

} // namespace orb
