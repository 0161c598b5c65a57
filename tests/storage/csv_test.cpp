// CSV as spreadsheets write it reads back field for field, in UTF-8 or GBK;
// a malformed file is refused with the row at fault.
#include "storage/csv.h"
#include "storage/gbk.h"

#include <gtest/gtest.h>

using namespace pumpsel;

TEST(Csv, RowsAsWrittenReadBackFieldForField) {
    const std::vector<csv::Row> rows = {
        {"序号", "型号", "备注"}, {"1", "IS50-32-125", "第一行\r\n第二行, \"引号\""},
        {"", "a\rb", "c\nd"},     {"", "", ""},
        {"\"", ",", "末尾"},
    };
    std::string text;
    for (const auto& row : rows) text += csv::row(row);
    const auto parsed = csv::parse(text);
    ASSERT_TRUE(parsed.ok) << parsed.reason;
    EXPECT_EQ(parsed.rows, rows);

    // Line feeds alone, no break after the last row, a quote inside a bare field.
    const auto loose = csv::parse("a,b\nc,\"d\ne\",x\"y\"\n1,");
    ASSERT_TRUE(loose.ok);
    EXPECT_EQ(loose.rows, (std::vector<csv::Row>{{"a", "b"}, {"c", "d\ne", "x\"y\""}, {"1", ""}}));
    EXPECT_TRUE(csv::parse("").rows.empty());
}

TEST(Csv, MalformedRowsAreNamed) {
    const auto unclosed = csv::parse("a,b\r\nc,d\r\n\"e,f\r\n");
    EXPECT_FALSE(unclosed.ok);
    EXPECT_EQ(unclosed.badRow, 3u);
    EXPECT_EQ(unclosed.reason, "a quoted field is not closed");
    const auto trailing = csv::parse("a\r\n\"b\"c,d\r\n");
    EXPECT_FALSE(trailing.ok);
    EXPECT_EQ(trailing.badRow, 2u);
}

TEST(Csv, FilesAreReadAsUtf8WithOrWithoutMarkElseAsGbk) {
    const std::string utf8 = "型号,备注\r\n离心泵,€\r\n";
    EXPECT_EQ(csv::textOf(std::string(csv::kUtf8Bom) + utf8), utf8);
    EXPECT_EQ(csv::textOf(utf8), utf8);
    EXPECT_EQ(csv::textOf(*gbk::fromUtf8(utf8)), utf8);
}
