#include "writers.hpp"

#include <cmath>
#include <stdexcept>
#include <string>

#include "number_text.hpp"

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
    if (format_ == Format::csv) {
        for (std::size_t c = 0; c < values.size(); ++c)
            out_ << (c ? "," : "") << format_number(values[c]);
        out_ << '\n';
    } else {
        out_ << (rows_ ? ",\n    [" : "\n    [");
        for (std::size_t c = 0; c < values.size(); ++c) {
            if (c)
                out_ << ", ";
            write_json_number(out_, values[c]);
        }
        out_ << ']';
    }
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
