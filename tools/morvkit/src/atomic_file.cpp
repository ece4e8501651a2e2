#include "atomic_file.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <system_error>

#include "errors.hpp"

namespace morvkit {
namespace {

[[noreturn]] void fail(const std::filesystem::path &destination, const std::string &why) {
    throw Error(ExitStatus::output, "cannot write '" + destination.string() + "': " + why);
}

}  // namespace

AtomicFile::AtomicFile(std::filesystem::path destination) : destination_(std::move(destination)) {
    std::error_code ec;
    if (destination_.filename().empty() || std::filesystem::is_directory(destination_, ec))
        fail(destination_, "it is a directory");
    const auto folder = destination_.parent_path().empty() ? std::filesystem::path(".")
                                                           : destination_.parent_path();
    std::string pattern =
        (folder / ("." + destination_.filename().string() + ".partial-XXXXXX")).string();
    const int fd = mkstemp(pattern.data());
    if (fd < 0)
        fail(destination_, std::strerror(errno));
    // mkstemp makes the file private; a result file gets the permissions of any new file.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    close(fd);
    temporary_ = pattern;
}

AtomicFile::~AtomicFile() {
    if (committed_)
        return;
    if (stream_.is_open())
        stream_.close();
    std::error_code ignored;
    std::filesystem::remove(temporary_, ignored);
}

std::ostream &AtomicFile::stream() {
    if (!stream_.is_open()) {
        stream_.open(temporary_, std::ios::binary | std::ios::trunc);
        if (!stream_)
            fail(destination_, "cannot open a temporary file beside it");
    }
    return stream_;
}

void AtomicFile::commit() {
    if (stream_.is_open()) {
        stream_.flush();
        const bool good = stream_.good();
        stream_.close();
        if (!good || stream_.fail())
            fail(destination_, "the data could not be written out");
    }
    std::error_code ec;
    std::filesystem::rename(temporary_, destination_, ec);
    if (ec)
        fail(destination_, ec.message());
    committed_ = true;
}

}  // namespace morvkit
