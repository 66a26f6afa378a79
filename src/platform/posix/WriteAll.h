#pragma once

#include <cstddef>
#include <string_view>

namespace rinoza {

// Writes every byte to fd, going on after short writes and interrupted calls. Returns 0, or the errno
// of the write that failed. When `written` is given it receives the number of bytes that reached the
// file, a failed call included.
int writeAll(int fd, std::string_view bytes, std::size_t* written = nullptr);

} // namespace rinoza
