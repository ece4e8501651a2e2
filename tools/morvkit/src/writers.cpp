#include "writers.hpp"

#include <cmath>
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

void newline(std::ostream &out, int indent) {
    out << '\n' << std::string(indent, ' ');
}

}  // namespace

void write_csv(std::ostream &out, const Table &table) {
    const auto &columns = table.columns();
    for (std::size_t c = 0; c < columns.size(); ++c) out << (c ? "," : "") << columns[c];
    out << '\n';
    for (std::size_t row = 0; row < table.rows(); ++row) {
        for (std::size_t c = 0; c < columns.size(); ++c)
            out << (c ? "," : "") << format_number(table.at(row, c));
        out << '\n';
    }
}

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
                out << Json(key).dump() << ": ";
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
            out << value.dump();
    }
}

void write_json(std::ostream &out, const Json &metadata, const Table &table) {
    out << '{';
    for (const auto &[key, item] : metadata.items()) {
        out << "\n  " << Json(key).dump() << ": ";
        write_json_value(out, item, 2);
        out << ',';
    }
    out << "\n  \"columns\": ";
    write_json_value(out, Json(table.columns()), 2);
    out << ",\n  \"rows\": [";
    for (std::size_t row = 0; row < table.rows(); ++row) {
        out << (row ? ",\n    [" : "\n    [");
        for (std::size_t c = 0; c < table.columns().size(); ++c) {
            if (c)
                out << ", ";
            write_json_number(out, table.at(row, c));
        }
        out << ']';
    }
    out << (table.rows() ? "\n  ]\n}\n" : "]\n}\n");
}

}  // namespace morvkit
