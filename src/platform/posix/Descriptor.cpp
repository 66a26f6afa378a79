#include "platform/posix/Descriptor.h"

#include <cerrno>
#include <unistd.h>

namespace rinoza {

int Descriptor::reset(int fd) {
    int err = 0;
    // After an interrupted close the descriptor is gone all the same; it is never closed twice.
    if (m_fd >= 0 && ::close(m_fd) != 0 && errno != EINTR)
        err = errno;
    m_fd = fd;
    return err;
}

} // namespace rinoza
