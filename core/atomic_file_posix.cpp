#include "core/atomic_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orb {

bool WriteFileAtomically(const std::string& path, const std::string& text, std::string& error)
{
    std::string temporary = path + ".XXXXXX";
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
