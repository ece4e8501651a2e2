#include "output/output_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <map>
#include <set>
#include <string_view>
#include <system_error>
#include <utility>

#include "output/checked_stream.hpp"
#include "base/errors.hpp"
#include "process/interrupt.hpp"

namespace morvkit {
namespace {

[[noreturn]] void fail(const std::string &name, const std::string &why) {
    throw Error(ExitStatus::output, "cannot write " + name + ": " + why);
}

// The path a chain of symbolic links finally names; that path need not exist yet.  Following
// them ourselves (rather than canonicalising) keeps a dangling link's target reachable.
std::filesystem::path follow_links(std::filesystem::path file, const std::string &name) {
    for (int depth = 0; depth < 40; ++depth) {
        std::error_code ec;
        if (!std::filesystem::is_symlink(std::filesystem::symlink_status(file, ec)))
            return file;
        const auto next = std::filesystem::read_symlink(file, ec);
        if (ec)
            fail(name, ec.message());
        file = next.is_absolute() ? next : file.parent_path() / next;
    }
    fail(name, std::strerror(ELOOP));
}

int open_for_writing(const std::filesystem::path &file) {
    for (;;) {
        const int fd = ::open(file.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
        if (fd >= 0 || errno != EINTR)
            return fd;
        check_interrupt();  // a FIFO waits for a reader; a signal may end the wait
    }
}

// The name of a temporary beside `target`, up to mkstemp's six characters.
constexpr std::string_view temporary_tail = ".partial-";
constexpr std::size_t random_characters = 6;
std::string temporary_prefix(const std::filesystem::path &target) {
    return "." + target.filename().string() + std::string(temporary_tail);
}

// The file name a temporary was to become, when `name` is one: ".NAME.partial-XXXXXX".
std::optional<std::string> destination_of_temporary(const std::string &name) {
    if (name.size() < 2 + temporary_tail.size() + random_characters || name[0] != '.')
        return std::nullopt;
    const std::size_t tail = name.size() - random_characters - temporary_tail.size();
    if (name.compare(tail, temporary_tail.size(), temporary_tail) != 0 ||
        !std::all_of(name.end() - random_characters, name.end(),
                     [](unsigned char c) { return std::isalnum(c) != 0; }))
        return std::nullopt;
    return name.substr(1, tail - 1);
}

// A whole-file write lock, held by this process only (record locks are not inherited across
// fork, so a child working for the writer never keeps its temporary alive) until it ends.
flock whole_file(short type) {
    flock lock{};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    return lock;
}

// True unless a live process holds the temporary's lock.  A file system without locks cannot
// tell, and then a temporary counts as stale, as one that no run will ever finish.
bool is_stale(const std::filesystem::path &temporary) {
    const int fd = ::open(temporary.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    flock lock = whole_file(F_WRLCK);
    const bool held = ::fcntl(fd, F_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
    ::close(fd);
    return !held;
}

}  // namespace

void remove_stale_temporaries(const std::vector<std::filesystem::path> &destinations) {
    // One pass over each folder, however many results it will hold.
    std::map<std::filesystem::path, std::set<std::string>> wanted;
    for (const auto &destination : destinations) {
        if (destination == "-" || destination.filename().empty())
            continue;
        try {
            const auto target = follow_links(destination, "'" + destination.string() + "'");
            const auto folder =
                target.parent_path().empty() ? std::filesystem::path(".") : target.parent_path();
            wanted[folder].insert(target.filename().string());
        } catch (const Error &) {
            // A link loop: writing the result says so.
        }
    }
    for (const auto &[folder, names] : wanted) {
        std::error_code ec;
        for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
             it.increment(ec)) {
            const std::string name = it->path().filename().string();
            const auto of = destination_of_temporary(name);
            if (of && names.count(*of) != 0 && it->is_regular_file(ec) && is_stale(it->path()))
                ::unlink(it->path().c_str());
        }
    }
}

std::optional<FileIdentity> identity_of(const std::filesystem::path &file) {
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0)
        return std::nullopt;
    return FileIdentity{st.st_dev, st.st_ino, S_ISREG(st.st_mode)};
}

OutputFile::OutputFile(std::optional<std::filesystem::path> destination)
    : destination_(std::move(destination)) {
    if (!destination_ || *destination_ == "-") {
        destination_.reset();
        fd_ = STDOUT_FILENO;
        struct stat st {};
        if (::fstat(fd_, &st) == 0)
            identity_ = FileIdentity{st.st_dev, st.st_ino, S_ISREG(st.st_mode)};
        stream_ = std::make_unique<CheckedStream>(fd_, name());
        return;
    }
    if (destination_->filename().empty())
        fail(name(), "it is a directory");
    target_ = follow_links(*destination_, name());
    struct stat st {};
    if (::stat(target_.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            fail(name(), "it is a directory");
        identity_ = FileIdentity{st.st_dev, st.st_ino, S_ISREG(st.st_mode)};
        if (S_ISREG(st.st_mode)) {
            open_temporary(identity_, st.st_mode & 07777, st.st_uid, st.st_gid);
        } else {
            fd_ = open_for_writing(target_);
            if (fd_ < 0)
                fail(name(), std::strerror(errno));
            owns_fd_ = true;
        }
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        open_temporary(std::nullopt, 0666 & ~mask, 0, 0);
    }
    stream_ = std::make_unique<CheckedStream>(fd_, name());
}

void OutputFile::open_temporary(const std::optional<FileIdentity> &existing, mode_t mode, uid_t uid,
                                gid_t gid) {
    const auto folder =
        target_.parent_path().empty() ? std::filesystem::path(".") : target_.parent_path();
    std::string pattern = (folder / (temporary_prefix(target_) + "XXXXXX")).string();
    {
        const SignalsDeferred registered_with_the_file;
        fd_ = ::mkstemp(pattern.data());
        if (fd_ >= 0)
            slot_ = hold_temporary(pattern.c_str());
    }
    if (fd_ < 0)
        fail(name(), std::strerror(errno));
    owns_fd_ = true;
    temporary_ = pattern;
    flock lock = whole_file(F_WRLCK);
    [[maybe_unused]] const int unlockable = ::fcntl(fd_, F_SETLK, &lock);
    // mkstemp makes the file private: give it the mode the result should have, and (when we
    // may) the owner of the file it replaces, so that replacing a file changes only its content.
    ::fchmod(fd_, mode);
    // An ordinary user may not give a file away: the result then belongs to whoever wrote it.
    if (existing && (uid != ::geteuid() || gid != ::getegid())) {
        [[maybe_unused]] const int refused = ::fchown(fd_, uid, gid);
    }
}

OutputFile::~OutputFile() {
    stream_.reset();
    if (owns_fd_ && fd_ >= 0)
        ::close(fd_);
    if (!temporary_.empty() && !committed_) {
        ::unlink(temporary_.c_str());
        release_temporary(slot_);
    }
}

std::string OutputFile::name() const {
    return destination_ ? "'" + destination_->string() + "'" : "standard output";
}

std::ostream &OutputFile::stream() {
    return *stream_;
}

void OutputFile::commit() {
    close_written();
    if (!temporary_.empty()) {
        if (::rename(temporary_.c_str(), target_.c_str()) != 0)
            fail(name(), std::strerror(errno));
        release_temporary(slot_);
    }
    committed_ = true;
}

bool OutputFile::commit_if_absent() {
    close_written();
    if (!temporary_.empty()) {
        // A link, unlike a rename, fails where the name exists: the file appears whole, once.
        if (::link(temporary_.c_str(), target_.c_str()) != 0) {
            if (errno == EEXIST)
                return false;
            fail(name(), std::strerror(errno));
        }
        ::unlink(temporary_.c_str());
        release_temporary(slot_);
    }
    committed_ = true;
    return true;
}

void OutputFile::close_written() {
    stream_->finish();
    if (owns_fd_) {
        const int fd = std::exchange(fd_, -1);
        if (::close(fd) != 0)
            fail(name(), std::strerror(errno));
    }
}

void print_to_standard_output(const std::string &text) {
    OutputFile out(std::nullopt);
    out.stream() << text;
    out.commit();
}

}  // namespace morvkit
