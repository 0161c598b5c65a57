#pragma once
// Catalogue files for the maintenance tests, written as publishers write
// them: GBK text with CR LF line ends.
#include "storage/gbk.h"
#include "support/temp_dir.h"

#include <string>

namespace testing_support {

// UTF-8 text stored as GBK, each "\n" becoming CR LF.
inline std::string gbkLines(const std::string& utf8) {
    std::string crlf;
    for (char c : utf8) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    return *pumpsel::gbk::fromUtf8(crlf);
}

inline void writeGbk(const std::filesystem::path& file, const std::string& utf8) { writeBytes(file, gbkLines(utf8)); }

// A pump record with all seven values, "\n" line ends.
inline std::string recordText(int number, const std::string& model, const std::string& remark = "备注") {
    return "[" + std::to_string(number) + "]\n型号=" + model +
           "\n流量1=10\n流量2=20\n扬程1=30\n扬程2=25\n功率=1.5\n备注=" + remark + "\n";
}

}  // namespace testing_support
