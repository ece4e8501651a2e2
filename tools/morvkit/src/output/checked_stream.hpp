// checked_stream.hpp - an output stream over a file descriptor whose every write is checked.
//
// Standard streams turn a failed write into a state bit that is easy to miss (a full disk, a
// closed pipe, /dev/full).  This one throws Error(output) naming the destination as soon as the
// system refuses bytes, and Interrupted when a signal arrives while a write waits (a full pipe,
// a FIFO without reader).  The stream does not own the descriptor.
#pragma once

#include <array>
#include <ostream>
#include <streambuf>
#include <string>

namespace morvkit {

class CheckedBuffer : public std::streambuf {
  public:
    CheckedBuffer(int fd, std::string name);
    // Writes out what is buffered; throws like every write.
    void flush_out();

  protected:
    int_type overflow(int_type c) override;
    int sync() override;

  private:
    int fd_;
    std::string name_;
    std::array<char, 1 << 16> buffer_;
};

class CheckedStream : public std::ostream {
  public:
    CheckedStream(int fd, std::string name);
    // Writes out what is buffered; throws Error(output) when that fails.
    void finish();

  private:
    CheckedBuffer buffer_;
};

}  // namespace morvkit
