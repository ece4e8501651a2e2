#include "process/watchdog.hpp"

#include <fstream>
#include <iterator>

#include "base/number_text.hpp"

namespace morvkit {
namespace {

std::atomic<int> *decoding = nullptr;

}  // namespace

void report_decoding_to(std::atomic<int> *count) {
    decoding = count;
}

InDecoder::InDecoder() {
    if (decoding)
        decoding->fetch_add(1);
}

InDecoder::~InDecoder() {
    if (decoding)
        decoding->fetch_sub(1);
}

bool StallClock::stalled(std::int64_t progress, bool busy, WatchClock::time_point now) {
    if (busy || progress != progress_) {
        progress_ = progress;
        since_ = now;
        return false;
    }
    return seconds_ > 0 && std::chrono::duration<double>(now - since_).count() >= seconds_;
}

std::optional<ReadActivity> read_activity(pid_t process) {
    const std::string folder = "/proc/" + std::to_string(process);
    ReadActivity activity;
    std::ifstream io(folder + "/io");
    std::string key;
    long long value = 0;
    bool found = false;
    while (io >> key >> value)
        if (key == "rchar:") {
            activity.bytes = value;
            found = true;
        }
    if (!found)
        return std::nullopt;
    // The state follows the command name, which is in parentheses and may hold anything.
    std::ifstream stat(folder + "/stat");
    const std::string line((std::istreambuf_iterator<char>(stat)),
                           std::istreambuf_iterator<char>());
    const auto close = line.rfind(')');
    activity.waiting_for_disk =
        close != std::string::npos && close + 2 < line.size() && line[close + 2] == 'D';
    return activity;
}

std::string stall_message(double seconds) {
    return "the decoder made no progress for " + format_number(seconds) + " s (a damaged header?)";
}

}  // namespace morvkit
