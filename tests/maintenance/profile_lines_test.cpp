// The maintenance walk over a profile file's lines judges every odd line as
// the reader does: what the walk calls read is exactly what the reader finds.
#include "maintenance/profile_lines.h"
#include "storage/gbk.h"

#include <gtest/gtest.h>

#include <set>

using namespace pumpsel;
using maintenance::Ignored;

namespace {

// Lines whose values name their own line number ("v3" on line 3), joined
// by every kind of line break.
std::string numberedLines(const std::vector<std::string>& lines) {
    static const char* const kBreaks[] = {"\r\n", "\n", "\r"};
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string line = lines[i];
        if (auto at = line.find("$"); at != std::string::npos) line.replace(at, 1, "v" + std::to_string(i + 1));
        text += line + kBreaks[i % 3];
    }
    return text;
}

}  // namespace

TEST(ProfileLines, WhatTheWalkCallsReadIsWhatTheReaderFinds) {
    const std::string lead = "\x81";  // a GBK lead byte: the byte after it belongs to the same character
    const std::string text = numberedLines({
        "before=$",          // before the first section
        "[s]",               //
        "k=$",               //
        "K=$",               // the same key folded: never read
        "  k2 = $  ",        //
        "no equals",         //
        "=$",                // no key name
        ";k3=$",             // a comment
        "\t[S] tail=$",      // the same section folded, and text after "]"
        "k3=$",              // in a section never read
        "[t",                // "[" without "]"
        "k4=$",              // still in that section
        "[" + lead + "]x]",  // the first "]" is a GBK trail byte: section "\x81]x"
        "k=$",               //
        "[" + lead + "A]",   // a trail byte that looks like a capital is not folded
        "k=$",               //
        "[" + lead + "a]",   //
        "k=$",               //
        "[]",                // an empty section name
        "k=$",               //
        "[u]junk",           //
        "  ",                //
        "k5=\"$\"",          // the reader takes the quotes off
        "k5=$",              //
    });
    const auto parsed = ini::ProfileText::parse(text);
    const maintenance::ProfileLines lines(parsed);
    std::vector<std::string_view> texts;
    std::vector<std::pair<std::size_t, Ignored>> ignored;
    lines.forEachLine([&](const maintenance::LineView& line) {
        EXPECT_EQ(line.number, texts.size() + 1);
        texts.push_back(line.bytes);
        if (line.ignored) ignored.emplace_back(line.number, *line.ignored);
    });
    ASSERT_EQ(texts.size(), 24u);

    std::set<std::string> readByWalk;
    for (const auto& section : lines.sections())
        for (const auto& key : section.keys) {
            EXPECT_NE(texts[key.line - 1].find("v" + std::to_string(key.line)), std::string::npos);
            if (section.read() && key.read() && !key.key.empty()) readByWalk.insert("v" + std::to_string(key.line));
        }

    // Every name the file could be asked for: each section the walk found,
    // and whatever stands before a "=" anywhere.
    std::set<std::string> keyNames;
    for (const std::string_view line : texts)
        if (auto eq = line.find('='); eq != std::string_view::npos) keyNames.insert(gbk::toUtf8(line.substr(0, eq)));
    std::set<std::string> foundByReader;
    for (const auto& section : lines.sections())
        for (const std::string& key : keyNames)
            if (auto value = parsed->find(lines.utf8(section.name), key, 999); value && !key.empty())
                foundByReader.insert(*value);
    EXPECT_EQ(readByWalk, foundByReader);
    EXPECT_EQ(readByWalk, (std::set<std::string>{"v3", "v5", "v14", "v16", "v18", "v20", "v23"}));

    EXPECT_EQ(ignored, (std::vector<std::pair<std::size_t, Ignored>>{{1, Ignored::BeforeFirstSection},
                                                                     {6, Ignored::NoEquals},
                                                                     {7, Ignored::NoKeyName},
                                                                     {9, Ignored::TextAfterBracket},
                                                                     {11, Ignored::NoEquals},
                                                                     {21, Ignored::TextAfterBracket}}));
    ASSERT_NE(lines.section("s"), nullptr);
    EXPECT_EQ(lines.section("S")->line, 2u);
    EXPECT_EQ(lines.section("s")->end, lines.sections()[1].begin);
}
