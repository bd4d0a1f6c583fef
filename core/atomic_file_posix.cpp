#include "core/atomic_file.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace orb {

namespace {

// Named so that a stale one is told from anything a user keeps next to the file (a user's
// "info.dat.tmp-mine01" has the shape of mkstemp's letters too).
constexpr const char* kTemporaryMark = ".orbcalender-tmp-";
constexpr const char* kRandomPattern = "XXXXXX";
constexpr std::size_t kRandomLength = 6;
constexpr int kLongestLinkChain = 8;
// A temporary younger than this may be a second instance's, still being written.
constexpr std::time_t kStaleAfterSeconds = 3600;

// The file a write of `path` replaces: through any symbolic links, so the link survives.
std::string WriteTarget(const std::string& path)
{
    std::filesystem::path target = path;
    std::error_code failed;
    for (int i = 0; i < kLongestLinkChain && std::filesystem::is_symlink(target, failed); ++i) {
        const std::filesystem::path link = std::filesystem::read_symlink(target, failed);
        if (failed)
            break;
        target = link.is_absolute() ? link : target.parent_path() / link;
    }
    return target.string();
}

// mkstemp's letters and digits after our own suffix.
bool IsTemporaryName(const std::string& name, const std::string& fileName)
{
    const std::string prefix = fileName + kTemporaryMark;
    if (name.size() != prefix.size() + kRandomLength || name.rfind(prefix, 0) != 0)
        return false;
    return std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(),
                       [](char c) { return std::isalnum(static_cast<unsigned char>(c)); });
}

// Syncs the folder that holds `path`, so the rename itself survives a crash.
int SyncFolderOf(const std::string& path)
{
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    const int fd = open(parent.empty() ? "." : parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    int problem = fsync(fd) == 0 ? 0 : errno;
    close(fd);
    // Some file systems cannot sync a folder; the file itself is synced already.
    return problem == EINVAL || problem == ENOTSUP ? 0 : problem;
}

// Others than the user (and root) may change what sits in `folder`.
bool FolderOpenToOthers(const std::string& folder, std::string& why)
{
    struct stat info
    {};
    if (::stat(folder.c_str(), &info) != 0)
        return false;
    if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        why = "others may write in its folder " + folder;
        return true;
    }
    if (info.st_uid != ::geteuid() && info.st_uid != 0) {
        why = "its folder " + folder + " belongs to another user";
        return true;
    }
    return false;
}

} // namespace

bool WriteFileAtomically(const std::string& requested, const std::string& text, std::string& error)
{
    const std::string path = WriteTarget(requested);
    struct stat existing
    {};
    if (::stat(path.c_str(), &existing) == 0 && S_ISREG(existing.st_mode) && (existing.st_mode & S_IWUSR) == 0) {
        error = "not writing " + path + ": the file is read-only";
        return false;
    }
    std::string temporary = path + kTemporaryMark + kRandomPattern;
    const int fd = mkstemp(temporary.data());
    if (fd < 0) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    int problem = fchmod(fd, S_IRUSR | S_IWUSR) == 0 ? 0 : errno;
    std::size_t offset = 0;
    while (problem == 0 && offset < text.size()) {
        const ssize_t count = write(fd, text.data() + offset, text.size() - offset);
        if (count > 0) {
            offset += static_cast<std::size_t>(count);
        } else if (count == 0 || errno != EINTR) {
            problem = count == 0 ? EIO : errno;
        }
    }
    // Without the sync a crash soon after the rename could leave an empty file behind.
    if (problem == 0 && fsync(fd) != 0) {
        problem = errno;
    }
    if (close(fd) != 0 && problem == 0) {
        problem = errno;
    }
    if (problem == 0 && std::rename(temporary.c_str(), path.c_str()) != 0) {
        problem = errno;
    }
    if (problem == 0) {
        if (const int synced = SyncFolderOf(path); synced != 0) {
            error = "cannot write " + path + ": " + std::strerror(synced);
            return false; // the new file is in place, but may not survive a crash
        }
    }
    if (problem != 0) {
        error = "cannot write " + path + ": " + std::strerror(problem);
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

void RemoveStaleTemporaries(const std::string& requested)
{
    const std::filesystem::path path = requested;
    const std::string fileName = path.filename().string();
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
    const std::time_t anHourAgo = std::time(nullptr) - kStaleAfterSeconds;
    std::error_code failed;
    for (const auto& entry : std::filesystem::directory_iterator(folder, failed)) {
        if (!IsTemporaryName(entry.path().filename().string(), fileName))
            continue;
        struct stat info
        {};
        // lstat: a link of that name is no temporary of ours, whatever it points at.
        if (::lstat(entry.path().c_str(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid() ||
            info.st_mtime > anHourAgo)
            continue;
        ::unlink(entry.path().c_str());
    }
}

bool OnlyOwnerCanChange(const std::string& path, std::string& why)
{
    struct stat info
    {};
    if (::stat(path.c_str(), &info) != 0)
        return true; // nothing there to be trusted or not
    if (info.st_uid != ::geteuid()) {
        why = path + " belongs to another user";
        return false;
    }
    if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        why = "others may write " + path;
        return false;
    }
    const auto folderOf = [](const std::filesystem::path& file) {
        return file.has_parent_path() ? file.parent_path().string() : std::string(".");
    };
    std::error_code failed;
    const std::filesystem::path target = std::filesystem::canonical(path, failed);
    for (const std::string& folder : {folderOf(path), failed ? folderOf(path) : folderOf(target)}) {
        if (FolderOpenToOthers(folder, why))
            return false;
    }
    return true;
}

bool MoveAside(const std::string& path, const std::string& suffix, std::string& movedTo, std::string& error)
{
    for (int attempt = 1; attempt < 100; ++attempt) {
        movedTo = path + suffix + (attempt > 1 ? "-" + std::to_string(attempt) : "");
        struct stat taken
        {};
        if (::lstat(movedTo.c_str(), &taken) == 0)
            continue;
        if (std::rename(path.c_str(), movedTo.c_str()) == 0)
            return true;
        error = "cannot move " + path + " aside: " + std::strerror(errno);
        return false;
    }
    error = "cannot move " + path + " aside: every name is taken";
    return false;
}

bool ReadWholeFile(const std::string& path, std::string& text, bool& missing, std::string& error)
{
    missing = false;
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        missing = errno == ENOENT;
        error = "cannot read " + path + ": " + std::strerror(errno);
        return false;
    }
    text.clear();
    char chunk[65536];
    for (;;) {
        const ssize_t count = read(fd, chunk, sizeof chunk);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            const bool ok = count == 0;
            if (!ok) {
                error = "cannot read " + path + ": " + std::strerror(errno);
            }
            close(fd);
            return ok;
        }
        text.append(chunk, static_cast<std::size_t>(count));
    }
}

} // namespace orb
