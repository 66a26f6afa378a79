#pragma once

#include <utility>

namespace rinoza {

// An open file descriptor owned by one object and closed with it.
class Descriptor {
public:
    Descriptor() = default;
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor() { reset(); }
    Descriptor(Descriptor&& other) noexcept : m_fd(other.release()) {}
    Descriptor& operator=(Descriptor&& other) noexcept {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    // The descriptor, no longer owned here.
    int release() { return std::exchange(m_fd, -1); }
    // Closes the descriptor held (if any) and holds fd instead. Returns 0 or the errno of the close.
    int reset(int fd = -1);

private:
    int m_fd = -1;
};

} // namespace rinoza
