#include "platform/AtomicFile.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// Creates a new file beside `target` with a name no other writer uses; -1 when impossible.
[[nodiscard]] int CreateTemporary(const std::string& target, mode_t mode, std::string& name) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = target + ".tmp" + std::to_string(getpid()) + "-" + std::to_string(counter++);
        int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

[[nodiscard]] bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// 0 when `st` describes a regular file of at most `most` bytes, else the error number for it.
int RefusalOf(const struct stat& st, std::size_t most) {
    if (S_ISDIR(st.st_mode)) return EISDIR;
    if (!S_ISREG(st.st_mode)) return EINVAL;
    if (st.st_size < 0 || static_cast<std::uint64_t>(st.st_size) > most) return EFBIG;
    return 0;
}

} // namespace

int ReadWholeFile(const std::string& path, std::string& bytes, std::size_t most) {
    bytes.clear();
    // Judged before opening: opening a pipe waits for a writer, opening a device may act.
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return errno != 0 ? errno : EIO;
    if (const int refusal = RefusalOf(st, most); refusal != 0) return refusal;
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return errno != 0 ? errno : EIO;
    // The name may have been given to something else meanwhile.
    int error = fstat(fd, &st) == 0 ? RefusalOf(st, most) : (errno != 0 ? errno : EIO);
    if (error == 0) {
        bytes.reserve(static_cast<std::size_t>(st.st_size));
        char buffer[65536];
        for (;;) {
            const ssize_t n = read(fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                error = errno != 0 ? errno : EIO;
                break;
            }
            if (n == 0) break;
            // A file that grows while it is read is held to the same bound.
            if (static_cast<std::size_t>(n) > most - bytes.size()) {
                error = EFBIG;
                break;
            }
            bytes.append(buffer, static_cast<std::size_t>(n));
        }
    }
    close(fd);
    if (error != 0) bytes.clear();
    return error;
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool WriteFileAtomic(const std::string& path, std::string_view bytes) {
    std::string target = path;
    mode_t mode = 0666; // narrowed by the umask when the file is new
    bool exists = false;
    struct stat st {};
    if (lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        char resolved[PATH_MAX];
        if (realpath(path.c_str(), resolved) != nullptr) target = resolved;
    }
    if (stat(target.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode)) return false;
        // A file without any write permission is read-only even for a user (root) whom the
        // system would let write it anyway.
        if ((st.st_mode & 0222) == 0 || access(target.c_str(), W_OK) != 0) return false;
        exists = true;
        mode = st.st_mode & 07777;
    }

    std::string temporary;
    int fd = CreateTemporary(target, mode, temporary);
    if (fd < 0) return false;
    bool ok = WriteAll(fd, bytes);
    if (ok && exists) ok = fchmod(fd, mode) == 0;
    if (ok) ok = fsync(fd) == 0;
    if (close(fd) != 0) ok = false;
    if (ok) ok = rename(temporary.c_str(), target.c_str()) == 0;
    if (!ok) unlink(temporary.c_str());
    return ok;
}

} // namespace platform
