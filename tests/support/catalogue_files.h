#pragma once
// Catalogue files written as publishers write them: GBK text with CR LF line
// ends, and pump records built from their seven values. Free of Qt, so that
// the library tests, the Windows build and the benchmarks share it.
#include "storage/gbk.h"
#include "support/temp_dir.h"

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

namespace testing_support {

// UTF-8 text as GBK, each "\n" becoming CR LF. Throws when the text holds a
// character GBK cannot store, rather than writing something else.
inline std::string gbkText(const std::string& utf8) {
    std::string crlf;
    for (char c : utf8) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    auto gbk = pumpsel::gbk::fromUtf8(crlf);
    if (!gbk) throw std::invalid_argument("no GBK text: " + utf8);
    return *gbk;
}

// Writes gbkText(utf8) to the file, creating its folders.
inline void writeGbk(const std::filesystem::path& file, const std::string& utf8) { writeBytes(file, gbkText(utf8)); }

// A pump record of a maker data file, in UTF-8 with "\n" line ends. The seven
// values default to a plain pump and are set by name; a value set to
// std::nullopt leaves its line out.
struct PumpRecord {
    int number = 1;
    std::optional<std::string> model = "P", flow1 = "10", flow2 = "20", head1 = "30", head2 = "25", power = "1.5",
                               remark = "备注";
    std::string moreLines{};  // "key=value\n" lines after the seven: curve keys, oddities

    // The section header, the values given, then moreLines.
    std::string text() const {
        std::string out = "[" + std::to_string(number) + "]\n";
        const std::pair<const char*, const std::optional<std::string>&> values[] = {
            {"型号", model},  {"流量1", flow1}, {"流量2", flow2}, {"扬程1", head1},
            {"扬程2", head2}, {"功率", power},  {"备注", remark}};
        for (const auto& [key, value] : values)
            if (value) out += std::string(key) + "=" + *value + "\n";
        return out + moreLines;
    }
};

// A catalogue in a temporary program folder: txt/ holds the index and the
// maker data files, images/ the pictures.
class CatalogueFolder {
public:
    const std::filesystem::path& root() const { return dir_.path(); }
    std::filesystem::path operator/(const std::string& relative) const { return dir_ / relative; }

    // The catalogue index of one kind, 离心泵, whose first maker 江南泵业 has
    // the data file a.dat and the picture a.png; `moreMakers` adds lines to
    // the kind's section.
    void writeOneMakerIndex(const std::string& moreMakers = {}) const {
        writeGbk(dir_ / "txt/bump.dat",
                 "[种类]\n1=离心泵\n[离心泵]\n1=江南泵业\n1file=a.dat\n1pic=a.png\n" + moreMakers);
    }

    // A maker data file of records 1..count, record n with the model Pn, the
    // flows n to n+10, the heads n+20 to n, the power n.5 and the remark "remark n".
    void writeRecords(const std::string& relative, int count) const {
        std::string text;
        for (int n = 1; n <= count; ++n) {
            const std::string s = std::to_string(n);
            text += PumpRecord{.number = n,
                               .model = "P" + s,
                               .flow1 = s,
                               .flow2 = std::to_string(n + 10),
                               .head1 = std::to_string(n + 20),
                               .head2 = s,
                               .power = s + ".5",
                               .remark = "remark " + s}
                        .text();
        }
        writeGbk(dir_ / relative, text);
    }

private:
    TempDir dir_;
};

}  // namespace testing_support
