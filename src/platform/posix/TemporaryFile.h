#pragma once

#include <string>
#include <sys/types.h>

namespace rinoza {

// A new file beside a target that takes the target's name only when it is whole and on the disk:
// written, flushed, given the name (replacing the old file or never replacing anything), and then
// its folder flushed. Until it is published the temporary is removed on destruction.
class TemporaryFile {
public:
    enum class Publish { Replace, NoReplace };

    TemporaryFile() = default;
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    // Creates it in the folder of target with permission bits `mode` (the umask applies). It has no
    // name at all (O_TMPFILE) when `nameless` and the file system offers that, else a unique hidden
    // name beside the target. Returns 0 or an errno.
    int create(const std::string& target, mode_t mode, bool nameless);

    int fd() const { return m_fd; }

    // Flushes the data, gives the file the name target and flushes the folder. A nameless file can
    // only be published with NoReplace. Returns 0 or an errno; on failure it stays a temporary.
    int publish(const std::string& target, Publish how);

    // Hands the descriptor of a published file to the caller, who closes it.
    int release();

private:
    int m_fd = -1;
    std::string m_name; // empty while the file has no name
    bool m_published = false;
};

} // namespace rinoza
