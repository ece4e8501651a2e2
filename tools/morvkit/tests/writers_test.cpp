#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>

#include "writers.hpp"

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

TEST(WriteCsv, HeaderThenOneLinePerRowInShortestText) {
    std::ostringstream out;
    write_csv(out, sample_table());
    EXPECT_EQ(out.str(),
              "time,frequency\n"
              "0.005804988662131519,220.00000000000003\n"
              "0.1,0.3333333333333333\n");
}

TEST(WriteCsv, EmptyTableIsJustTheHeader) {
    std::ostringstream out;
    write_csv(out, Table({"time", "centroid"}));
    EXPECT_EQ(out.str(), "time,centroid\n");
}

TEST(WriteJson, MetadataInOrderThenColumnsAndExactRows) {
    Json meta;
    meta["file"] = "a \"quoted\" name.wav";
    meta["samplerate"] = 44100.0;
    meta["geometry"] = {{"max_lag", 186}, {"analysis_rate", 11025.0}};
    std::ostringstream out;
    write_json(out, meta, sample_table());

    const auto parsed = Json::parse(out.str());
    std::vector<std::string> keys;
    for (const auto &[key, value] : parsed.items()) keys.push_back(key);
    EXPECT_EQ(keys,
              (std::vector<std::string>{"file", "samplerate", "geometry", "columns", "rows"}));
    EXPECT_EQ(parsed["file"], "a \"quoted\" name.wav");
    EXPECT_EQ(parsed["geometry"]["max_lag"], 186);
    EXPECT_EQ(parsed["columns"], (Json{"time", "frequency"}));
    ASSERT_EQ(parsed["rows"].size(), 2u);
    EXPECT_EQ(parsed["rows"][0][1].get<double>(), 220.00000000000003);
    EXPECT_EQ(parsed["rows"][1][1].get<double>(), 1.0 / 3);
    // Shortest text, not the library's own rendering.
    EXPECT_NE(out.str().find("0.1, 0.3333333333333333"), std::string::npos);
}

TEST(WriteJson, NonFiniteNumbersBecomeNull) {
    Table table({"time", "value"});
    table.add_row(
        {std::numeric_limits<double>::quiet_NaN(), -std::numeric_limits<double>::infinity()});
    Json meta;
    meta["limit"] = std::numeric_limits<double>::infinity();
    std::ostringstream out;
    write_json(out, meta, table);
    const auto parsed = Json::parse(out.str());
    EXPECT_TRUE(parsed["limit"].is_null());
    EXPECT_TRUE(parsed["rows"][0][0].is_null());
    EXPECT_TRUE(parsed["rows"][0][1].is_null());
}

TEST(WriteJson, EmptyTableAndEmptyMetadataStillParse) {
    std::ostringstream out;
    write_json(out, Json::object(), Table({"time"}));
    const auto parsed = Json::parse(out.str());
    EXPECT_TRUE(parsed["rows"].is_array());
    EXPECT_TRUE(parsed["rows"].empty());
}

}  // namespace
}  // namespace morvkit
