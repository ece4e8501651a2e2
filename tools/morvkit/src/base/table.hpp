// table.hpp - the rows an analysis produces: named columns of doubles, in arrival order.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <span>
#include <string>
#include <vector>

namespace morvkit {

class Table {
  public:
    explicit Table(std::vector<std::string> columns) : columns_(std::move(columns)) {}

    const std::vector<std::string> &columns() const { return columns_; }
    std::size_t rows() const { return columns_.empty() ? 0 : cells_.size() / columns_.size(); }
    // A row must have one value per column; anything else is a programming error.
    void add_row(std::initializer_list<double> values) {
        add_row(std::span<const double>(values.begin(), values.size()));
    }
    void add_row(std::span<const double> values);
    double at(std::size_t row, std::size_t column) const {
        return cells_[row * columns_.size() + column];
    }
    // One column as a vector, for plotting and evaluation.
    std::vector<double> column(std::size_t column) const;

  private:
    std::vector<std::string> columns_;
    std::vector<double> cells_;  // row-major
};

}  // namespace morvkit
