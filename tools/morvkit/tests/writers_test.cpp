#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>

#include "base/table.hpp"
#include "base/utf8.hpp"
#include "output/writers.hpp"

namespace morvkit {
namespace {

Table sample_table() {
    Table table({"time", "frequency"});
    table.add_row({0.005804988662131519, 220.00000000000003});
    table.add_row({0.1, 1.0 / 3});
    return table;
}

TEST(Table, RejectsRowsOfTheWrongWidth) {
    Table table({"a", "b"});
    EXPECT_THROW(table.add_row({1.0}), std::logic_error);
    EXPECT_THROW(table.add_row({1.0, 2.0, 3.0}), std::logic_error);
    EXPECT_EQ(table.rows(), 0u);
    table.add_row({1.0, 2.0});
    EXPECT_EQ(table.column(1), std::vector<double>{2.0});
}

// Writes rows through a RowWriter, the way a run streams them.
std::string written(Format format, const Json &head, const Table &table,
                    const Json &tail = Json::object()) {
    std::ostringstream out;
    RowWriter writer(out, format, table.columns());
    writer.begin(head);
    for (std::size_t row = 0; row < table.rows(); ++row) {
        std::vector<double> values;
        for (std::size_t c = 0; c < table.columns().size(); ++c) values.push_back(table.at(row, c));
        writer.row(values);
    }
    writer.end(tail);
    return out.str();
}

TEST(WriteCsv, HeaderThenOneLinePerRowInShortestText) {
    EXPECT_EQ(written(Format::csv, Json::object(), sample_table()),
              "time,frequency\n"
              "0.005804988662131519,220.00000000000003\n"
              "0.1,0.3333333333333333\n");
    EXPECT_EQ(written(Format::csv, {{"ignored", 1}}, Table({"time", "centroid"})),
              "time,centroid\n");
}

TEST(WriteJson, HeadInOrderThenColumnsRowsAndTail) {
    Json head;
    head["file"] = "a \"quoted\" name.wav";
    head["samplerate"] = 44100.0;
    head["geometry"] = {{"max_lag", 186}, {"analysis_rate", 11025.0}};
    const auto text = written(Format::json, head, sample_table(), {{"frames", 4410}});

    const auto parsed = Json::parse(text);
    std::vector<std::string> keys;
    for (const auto &[key, value] : parsed.items()) keys.push_back(key);
    EXPECT_EQ(keys, (std::vector<std::string>{"file", "samplerate", "geometry", "columns", "rows",
                                              "frames"}));
    EXPECT_EQ(parsed["file"], "a \"quoted\" name.wav");
    EXPECT_EQ(parsed["geometry"]["max_lag"], 186);
    EXPECT_EQ(parsed["columns"], (Json{"time", "frequency"}));
    ASSERT_EQ(parsed["rows"].size(), 2u);
    EXPECT_EQ(parsed["rows"][0][1].get<double>(), 220.00000000000003);
    EXPECT_EQ(parsed["rows"][1][1].get<double>(), 1.0 / 3);
    EXPECT_EQ(parsed["frames"], 4410);
    // Shortest text, not the library's own rendering.
    EXPECT_NE(text.find("0.1, 0.3333333333333333"), std::string::npos);
}

TEST(WriteJson, NonFiniteNumbersBecomeNullAndBadUtf8IsReplaced) {
    Table table({"time", "value"});
    table.add_row(
        {std::numeric_limits<double>::quiet_NaN(), -std::numeric_limits<double>::infinity()});
    Json head;
    head["limit"] = std::numeric_limits<double>::infinity();
    head["file"] = std::string("caf\xe9 \xff.wav");  // Latin-1 bytes, as old file systems hold
    head["nested"] = {{"name\xfe", "x\xc3"}};
    const auto parsed = Json::parse(written(Format::json, head, table));
    EXPECT_TRUE(parsed["limit"].is_null());
    EXPECT_TRUE(parsed["rows"][0][0].is_null());
    EXPECT_TRUE(parsed["rows"][0][1].is_null());
    EXPECT_EQ(parsed["file"], "caf\ufffd \ufffd.wav");
    EXPECT_EQ(parsed["nested"]["name\ufffd"], "x\ufffd");
}

TEST(WriteJson, EmptyRowsAndEmptyHeadStillParse) {
    for (const Json &tail : {Json::object(), Json{{"frames", 0}}}) {
        const auto parsed =
            Json::parse(written(Format::json, Json::object(), Table({"time"}), tail));
        EXPECT_TRUE(parsed["rows"].is_array());
        EXPECT_TRUE(parsed["rows"].empty());
    }
}

TEST(RowWriter, RefusesRowsOfTheWrongWidth) {
    std::ostringstream out;
    RowWriter writer(out, Format::csv, {"a", "b"});
    writer.begin(Json::object());
    const double one[] = {1.0};
    EXPECT_THROW(writer.row(one), std::logic_error);
}

TEST(Utf8, InvalidBytesAreFoundAndReplaced) {
    const std::vector<std::tuple<std::string, bool, std::string>> cases = {
        {"zid~ @down 1", true, "zid~ @down 1"},
        {"caf\xc3\xa9", true, "caf\xc3\xa9"},
        {"caf\xe9", false, "caf\xef\xbf\xbd"},
        {"\xc3", false, "\xef\xbf\xbd"},  // cut in the middle of a character
        {"\xed\xa0\x80", false, "\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd"},  // a surrogate
    };
    for (const auto &[text, valid, replaced] : cases) {
        EXPECT_EQ(is_valid_utf8(text), valid) << text;
        EXPECT_EQ(with_invalid_utf8_replaced(text), replaced) << text;
    }
}

}  // namespace
}  // namespace morvkit
