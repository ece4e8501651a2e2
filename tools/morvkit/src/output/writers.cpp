#include "output/writers.hpp"

#include <algorithm>
#include <cmath>
#include <string_view>
#include <stdexcept>
#include <string>

#include "base/number_text.hpp"

namespace morvkit {
namespace {

void write_json_number(std::ostream &out, double value) {
    if (std::isfinite(value))
        out << format_number(value);
    else
        out << "null";
}

// Text as a JSON string; bytes that are not UTF-8 become U+FFFD instead of failing the run.
std::string json_text(const Json &value) {
    return value.dump(-1, ' ', false, Json::error_handler_t::replace);
}

char *copy_text(char *out, std::string_view text) {
    return std::copy(text.begin(), text.end(), out);
}

void newline(std::ostream &out, int indent) {
    out << '\n' << std::string(indent, ' ');
}

// The object's fields without its braces, each preceded by a separator and a newline.
void write_fields(std::ostream &out, const Json &fields, bool &first) {
    for (const auto &[key, item] : fields.items()) {
        out << (first ? "\n  " : ",\n  ") << json_text(Json(key)) << ": ";
        first = false;
        write_json_value(out, item, 2);
    }
}

}  // namespace

void write_json_value(std::ostream &out, const Json &value, int indent) {
    switch (value.type()) {
        case Json::value_t::object: {
            if (value.empty()) {
                out << "{}";
                break;
            }
            out << '{';
            bool first = true;
            for (const auto &[key, item] : value.items()) {
                out << (first ? "" : ",");
                first = false;
                newline(out, indent + 2);
                out << json_text(Json(key)) << ": ";
                write_json_value(out, item, indent + 2);
            }
            newline(out, indent);
            out << '}';
            break;
        }
        case Json::value_t::array: {
            out << '[';
            for (std::size_t i = 0; i < value.size(); ++i) {
                if (i)
                    out << ", ";
                write_json_value(out, value[i], indent);
            }
            out << ']';
            break;
        }
        case Json::value_t::number_float:
            write_json_number(out, value.get<double>());
            break;
        default:  // strings (escaped by the library), integers, booleans, null
            out << json_text(value);
    }
}

RowWriter::RowWriter(std::ostream &out, Format format, std::vector<std::string> columns)
    : out_(out), format_(format), columns_(std::move(columns)) {}

void RowWriter::begin(const Json &head) {
    if (format_ == Format::csv) {
        for (std::size_t c = 0; c < columns_.size(); ++c) out_ << (c ? "," : "") << columns_[c];
        out_ << '\n';
        return;
    }
    out_ << '{';
    bool first = true;
    write_fields(out_, head, first);
    out_ << (first ? "\n  " : ",\n  ") << "\"columns\": ";
    write_json_value(out_, Json(columns_), 2);
    out_ << ",\n  \"rows\": [";
}

void RowWriter::row(std::span<const double> values) {
    if (values.size() != columns_.size())
        throw std::logic_error("row width differs from columns");
    // The row is formatted into one piece of text and handed to the stream in one write: rows are
    // the bulk of every result, and the stream's per-call cost would otherwise exceed the
    // formatting's.
    line_.resize(values.size() * (max_number_text + 2) + 8);
    char *at = line_.data();
    const bool csv = format_ == Format::csv;
    if (!csv)
        at = copy_text(at, rows_ ? ",\n    [" : "\n    [");
    for (std::size_t c = 0; c < values.size(); ++c) {
        if (c)
            at = copy_text(at, csv ? "," : ", ");
        at = csv || std::isfinite(values[c]) ? put_number(at, values[c]) : copy_text(at, "null");
    }
    *at++ = csv ? '\n' : ']';
    out_.write(line_.data(), at - line_.data());
    ++rows_;
}

void RowWriter::end(const Json &tail) {
    if (format_ == Format::json) {
        out_ << (rows_ ? "\n  ]" : "]");
        bool first = false;
        write_fields(out_, tail, first);
        out_ << "\n}\n";
    }
    out_.flush();
}

}  // namespace morvkit
