// output_file.hpp - a result file, written safely wherever its name points.
//
// - A regular file (new or existing) is written to a hidden temporary file beside it and renamed
//   over it by `commit`, so it appears complete or not at all; an existing file keeps its mode.
// - A symbolic link is followed (to any depth) and its final target is treated the same way; the
//   link itself stays.
// - Anything else (a device such as /dev/null, a FIFO, a terminal) and standard output are
//   written directly: there is nothing to rename, and replacing a device node with a regular
//   file would be wrong.
// Every write is checked (checked_stream.hpp).  The constructor opens everything it can before
// an analysis runs, so an unwritable destination fails fast with Error(output).  Without a
// commit the destructor removes the temporary file; a second signal removes it too.  A process
// killed outright removes nothing, so the writer holds a lock on its temporary while it lives,
// and a run first removes the temporaries of its results that nobody holds: a killed run leaves
// its debris only until the same results are written again.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace morvkit {

class CheckedStream;

// What a path names on disk, for telling whether two names are one file.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    bool regular = false;
    bool operator==(const FileIdentity &other) const {
        return device == other.device && inode == other.inode;
    }
};
// The file behind a path, links followed; none when it does not exist.
std::optional<FileIdentity> identity_of(const std::filesystem::path &file);

// Removes the hidden temporaries ".NAME.partial-XXXXXX" beside the files the destinations name
// (links followed) whose writer has gone, and nothing else.
void remove_stale_temporaries(const std::vector<std::filesystem::path> &destinations);

class OutputFile {
  public:
    // No destination (or "-") means standard output.
    explicit OutputFile(std::optional<std::filesystem::path> destination);
    ~OutputFile();
    OutputFile(const OutputFile &) = delete;
    OutputFile &operator=(const OutputFile &) = delete;

    // The name as the user gave it ("standard output" for that), for messages.
    std::string name() const;
    // The path that will hold the result: the destination with links followed.  Empty for
    // standard output.
    const std::filesystem::path &target() const { return target_; }
    // The file written to in the end, if it exists already (a device, standard output's file,
    // an existing regular file); none for a file this run creates.
    const std::optional<FileIdentity> &identity() const { return identity_; }
    std::ostream &stream();
    // Writes out the rest and, for a temporary, gives it the final mode and renames it into
    // place.  Throws Error(output) when any of that fails.
    void commit();
    // The same, except that a file already at the destination (say, one another process made
    // meanwhile) is left as it is: returns false then, and the temporary is removed.
    bool commit_if_absent();

  private:
    // Writes out the rest and closes what this file opened.
    void close_written();
    void open_temporary(const std::optional<FileIdentity> &existing, mode_t mode, uid_t uid,
                        gid_t gid);

    std::optional<std::filesystem::path> destination_;
    std::filesystem::path target_;
    std::filesystem::path temporary_;
    std::optional<FileIdentity> identity_;
    int fd_ = -1;
    bool owns_fd_ = false;
    int slot_ = -1;  // the temporary's registration for an emergency exit
    std::unique_ptr<CheckedStream> stream_;
    bool committed_ = false;
};

// Writes text to standard output, every write checked.
void print_to_standard_output(const std::string &text);

}  // namespace morvkit
