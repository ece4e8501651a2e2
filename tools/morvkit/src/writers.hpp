// writers.hpp - CSV and JSON renderings of a result table.
//
// CSV: a header line with the column names, then one line per row; numbers in their shortest
// round-trip text.  JSON: one object holding the metadata's keys in their given order, then
// "columns" (the names) and "rows" (an array of arrays of numbers, one per row).  Numbers are
// written in their shortest round-trip text too, and non-finite numbers become null.
#pragma once

#include <ostream>

#include <nlohmann/json.hpp>

#include "table.hpp"

namespace morvkit {

using Json = nlohmann::ordered_json;

void write_csv(std::ostream &out, const Table &table);
void write_json(std::ostream &out, const Json &metadata, const Table &table);
// One JSON value, numbers written as `format_number` writes them (null when not finite).
void write_json_value(std::ostream &out, const Json &value, int indent = 0);

}  // namespace morvkit
