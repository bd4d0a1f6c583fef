#include "core/atomic_file.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace orb {

namespace {

// Named so that a stale one is told from anything a user keeps next to the file.
constexpr const char* kTemporarySuffix = ".tmp-XXXXXX";
constexpr std::size_t kRandomLength = 6;
constexpr int kLongestLinkChain = 8;

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

bool IsStaleTemporaryName(const std::string& name, const std::string& fileName)
{
    const auto random = [](const std::string& tail) {
        return tail.size() == kRandomLength && std::all_of(tail.begin(), tail.end(), [](char c) {
                   return std::isalnum(static_cast<unsigned char>(c));
               });
    };
    const std::string current = fileName + ".tmp-";
    if (name.rfind(current, 0) == 0)
        return random(name.substr(current.size()));
    // Earlier versions wrote "<file>.XXXXXX"; only names with letters and digits both are
    // taken for theirs, so a user's "<file>.backup" stays.
    const std::string earlier = fileName + ".";
    if (name.rfind(earlier, 0) != 0)
        return false;
    const std::string tail = name.substr(earlier.size());
    return random(tail) && std::any_of(tail.begin(), tail.end(), ::isdigit) &&
           std::any_of(tail.begin(), tail.end(), ::isalpha);
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
    std::string temporary = path + kTemporarySuffix;
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
    if (problem != 0) {
        error = "cannot write " + path + ": " + std::strerror(problem);
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

void RemoveStaleTemporaries(const std::string& requested)
{
    const std::filesystem::path path = WriteTarget(requested);
    const std::string fileName = path.filename().string();
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
    std::error_code failed;
    for (const auto& entry : std::filesystem::directory_iterator(folder, failed)) {
        if (IsStaleTemporaryName(entry.path().filename().string(), fileName) && entry.is_regular_file(failed))
            std::filesystem::remove(entry.path(), failed);
    }
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
