#include "platform/posix/WriteAll.h"

#include <cerrno>
#include <unistd.h>

namespace rinoza {

int writeAll(int fd, std::string_view bytes, std::size_t* written) {
    std::size_t done = 0;
    int err = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            err = errno;
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    if (written)
        *written = done;
    return err;
}

} // namespace rinoza
