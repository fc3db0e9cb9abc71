#pragma once
// Whole files for tests: written and read back as bytes, and how often they are opened.
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <sys/inotify.h>
#include <unistd.h>

// The file's bytes; nothing for a file that cannot be read.
inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Replaces the file's contents with `bytes`; false when it cannot be written.
inline bool WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    return static_cast<bool>(out);
}

// Whether the file exists and can be read.
inline bool FileExists(const std::string& path) {
    return std::ifstream(path).good();
}

// Counts how often the files of one folder are opened, by name, from its creation on (inotify).
// Opens and closes are both watched, so that successive opens of one file are never merged
// into one event.
class OpenCount {
public:
    explicit OpenCount(const std::string& folder)
        : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)),
          watching_(fd_ >= 0 &&
                    inotify_add_watch(fd_, folder.c_str(),
                                      IN_OPEN | IN_CLOSE_WRITE | IN_CLOSE_NOWRITE) >= 0) {}
    ~OpenCount() {
        if (fd_ >= 0) close(fd_);
    }
    OpenCount(const OpenCount&) = delete;
    OpenCount& operator=(const OpenCount&) = delete;

    bool Watching() const { return watching_; }
    // Opens of the file `name` so far.
    int Of(const std::string& name) {
        alignas(inotify_event) char buffer[16384];
        ssize_t n;
        while ((n = read(fd_, buffer, sizeof buffer)) > 0) {
            for (ssize_t at = 0; at < n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                if ((event->mask & IN_OPEN) && event->len > 0) ++opens_[event->name];
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
        return opens_[name];
    }

private:
    int fd_;
    bool watching_;
    std::map<std::string, int> opens_;
};
