#include "platform/posix/Terminal.h"

#include <unistd.h>

namespace rinoza {

bool isTerminal(int fd) {
    return ::isatty(fd) == 1;
}

} // namespace rinoza
