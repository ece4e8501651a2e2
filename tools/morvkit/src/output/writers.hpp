// writers.hpp - CSV and JSON renderings of result rows, written as the rows are made.
//
// CSV: a header line with the column names, then one line per row; numbers in their shortest
// round-trip text.  JSON: one object holding the head's keys in their given order, "columns"
// (the names), "rows" (an array of arrays of numbers, one per row), then the tail's keys (what
// is known only at the end, such as how many frames were read).  Numbers are written in their
// shortest round-trip text too, non-finite numbers become null, and text that is not valid
// UTF-8 (a file name, say) has its invalid bytes replaced so that the result stays valid JSON.
// Nothing is held back: memory stays flat however many rows a run makes.
#pragma once

#include <ostream>
#include <span>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace morvkit {

using Json = nlohmann::ordered_json;

enum class Format { csv, json };

class RowWriter {
  public:
    RowWriter(std::ostream &out, Format format, std::vector<std::string> columns);
    // CSV: the header line.  JSON: the opening brace, the head's fields, "columns" and the
    // start of "rows".
    void begin(const Json &head);
    // One value per column; anything else is a programming error (std::logic_error).
    void row(std::span<const double> values);
    // JSON: closes "rows", adds the tail's fields and closes the object.  Flushes the stream.
    void end(const Json &tail);

  private:
    std::ostream &out_;
    Format format_;
    std::vector<std::string> columns_;
    std::size_t rows_ = 0;
    std::vector<char> line_;  // one row's text
};

// One JSON value, numbers written as `format_number` writes them (null when not finite).
void write_json_value(std::ostream &out, const Json &value, int indent = 0);

}  // namespace morvkit
