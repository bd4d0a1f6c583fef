#include "cache/cache_files.h"

#include "core/atomic_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orb {

namespace {

constexpr mode_t kOwnerOnly = S_IRUSR | S_IWUSR;
constexpr const char* kLogSuffix = "-wal";
constexpr const char* kIndexSuffix = "-shm";
constexpr const char* kJournalSuffix = "-journal"; // left by a run that was not in WAL mode

std::string SystemError(const std::string& doing, const std::string& path)
{
    return doing + " " + path + ": " + std::strerror(errno);
}

bool RemoveIfPresent(const std::string& path, std::string& error)
{
    if (::unlink(path.c_str()) == 0 || errno == ENOENT)
        return true;
    error = SystemError("cannot remove", path);
    return false;
}

} // namespace

bool MakeOwnerOnlyFile(const std::string& path, std::string& error)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, kOwnerOnly);
    if (fd < 0) {
        error = SystemError("cannot open", path);
        return false;
    }
    struct stat info
    {};
    bool ok = ::fstat(fd, &info) == 0;
    if (!ok)
        error = SystemError("cannot read the mode of", path);
    else if (!S_ISREG(info.st_mode)) {
        ok = false;
        error = path + " is not a regular file";
    } else if ((info.st_mode & 07777) != kOwnerOnly && ::fchmod(fd, kOwnerOnly) != 0) {
        ok = false;
        error = SystemError("cannot make owner-only", path);
    }
    ::close(fd);
    return ok;
}

bool MakeCompanionsOwnerOnly(const std::string& path, std::string& error)
{
    for (const char* suffix : {kLogSuffix, kIndexSuffix, kJournalSuffix}) {
        const std::string companion = path + suffix;
        if (::chmod(companion.c_str(), kOwnerOnly) != 0 && errno != ENOENT) {
            error = SystemError("cannot make owner-only", companion);
            return false;
        }
    }
    return true;
}

bool MoveCacheAside(const std::string& path, const std::string& suffix, std::string& movedTo, std::string& error)
{
    if (!MoveAside(path, suffix, movedTo, error))
        return false;
    for (const char* suffixOfLog : {kLogSuffix, kJournalSuffix}) {
        const std::string log = path + suffixOfLog;
        if (std::rename(log.c_str(), (movedTo + suffixOfLog).c_str()) != 0 && errno != ENOENT) {
            error = SystemError("cannot move aside", log);
            return false;
        }
    }
    return RemoveIfPresent(path + kIndexSuffix, error);
}

bool DeleteCacheFiles(const std::string& path, std::string& error)
{
    bool ok = true;
    for (const char* suffix : {"", kLogSuffix, kIndexSuffix, kJournalSuffix})
        ok = RemoveIfPresent(path + suffix, error) && ok;
    return ok;
}

} // namespace orb
