// atomic_file.hpp - a result file that appears complete or not at all.
//
// The constructor reserves a hidden temporary file beside the destination, so an unwritable
// destination is reported before any analysis runs.  The caller writes the temporary file (by
// stream, or by name for libraries that open files themselves) and calls `commit`, which flushes
// and renames it over the destination.  Without a commit, the destructor removes the temporary
// file: a failed run never leaves a partial file under the name the user asked for.
#pragma once

#include <filesystem>
#include <fstream>

namespace morvkit {

class AtomicFile {
  public:
    // Throws Error(output) naming the destination when it cannot be written.
    explicit AtomicFile(std::filesystem::path destination);
    ~AtomicFile();
    AtomicFile(const AtomicFile &) = delete;
    AtomicFile &operator=(const AtomicFile &) = delete;

    const std::filesystem::path &destination() const { return destination_; }
    const std::filesystem::path &temporary() const { return temporary_; }
    // The temporary file as a stream, opened on first use.
    std::ostream &stream();
    // Throws Error(output) when the data did not reach the disk or the rename fails.
    void commit();

  private:
    std::filesystem::path destination_;
    std::filesystem::path temporary_;
    std::ofstream stream_;
    bool committed_ = false;
};

}  // namespace morvkit
