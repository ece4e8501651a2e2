#include "output/checked_stream.hpp"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/errors.hpp"
#include "process/interrupt.hpp"

namespace morvkit {

CheckedBuffer::CheckedBuffer(int fd, std::string name) : fd_(fd), name_(std::move(name)) {
    setp(buffer_.data(), buffer_.data() + buffer_.size());
}

void CheckedBuffer::flush_out() {
    const char *data = pbase();
    std::size_t left = static_cast<std::size_t>(pptr() - pbase());
    while (left > 0) {
        const ssize_t n = ::write(fd_, data, left);
        if (n < 0 && errno == EINTR) {
            check_interrupt();
            continue;
        }
        if (n <= 0) {
            const int why = n < 0 ? errno : EIO;
            setp(buffer_.data(), buffer_.data() + buffer_.size());  // the bytes are lost
            throw Error(ExitStatus::output, "cannot write " + name_ + ": " + std::strerror(why));
        }
        data += n;
        left -= static_cast<std::size_t>(n);
    }
    setp(buffer_.data(), buffer_.data() + buffer_.size());
}

CheckedBuffer::int_type CheckedBuffer::overflow(int_type c) {
    flush_out();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(c);
        pbump(1);
    }
    return traits_type::not_eof(c);
}

int CheckedBuffer::sync() {
    flush_out();
    return 0;
}

CheckedStream::CheckedStream(int fd, std::string name)
    : std::ostream(nullptr), buffer_(fd, std::move(name)) {
    rdbuf(&buffer_);
    // The buffer's own exception (Error or Interrupted) then reaches the caller unchanged.
    exceptions(std::ios::badbit);
}

void CheckedStream::finish() {
    buffer_.flush_out();
}

}  // namespace morvkit
