#include "process/failure.hpp"

#include <unistd.h>

#include <new>

#include "base/errors.hpp"
#include "process/interrupt.hpp"

namespace morvkit {

Failure describe_failure(std::exception_ptr failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const Interrupted &stop) {
        return {128 + stop.signal, std::string("stopped by ") + signal_name(stop.signal)};
    } catch (const Error &e) {
        return {static_cast<int>(e.status()), e.what()};
    } catch (const std::bad_alloc &) {
        return {static_cast<int>(ExitStatus::analysis), "out of memory"};
    } catch (const std::exception &e) {
        return {static_cast<int>(ExitStatus::analysis), e.what()};
    } catch (...) {
        return {static_cast<int>(ExitStatus::analysis), "unknown failure"};
    }
}

void say_line(const std::string &text) {
    const std::string line = "morvkit: " + text + "\n";
    [[maybe_unused]] const auto written = ::write(STDERR_FILENO, line.data(), line.size());
}

}  // namespace morvkit
