#include "input/sample_source.hpp"

#include <algorithm>

namespace morvkit {

std::size_t MemorySource::read(std::span<double> out) {
    const std::size_t count = std::min(out.size(), samples_.size() - position_);
    std::copy_n(samples_.begin() + static_cast<std::ptrdiff_t>(position_), count, out.begin());
    position_ += count;
    return count;
}

}  // namespace morvkit
