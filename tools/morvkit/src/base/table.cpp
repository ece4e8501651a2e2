#include "base/table.hpp"

#include <stdexcept>

namespace morvkit {

void Table::add_row(std::span<const double> values) {
    if (values.size() != columns_.size())
        throw std::logic_error("row width differs from columns");
    cells_.insert(cells_.end(), values.begin(), values.end());
}

std::vector<double> Table::column(std::size_t column) const {
    std::vector<double> values;
    values.reserve(rows());
    for (std::size_t row = 0; row < rows(); ++row) values.push_back(at(row, column));
    return values;
}

}  // namespace morvkit
