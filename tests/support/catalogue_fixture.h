#pragma once
// A catalogue in a temporary program folder, written the way publishers
// write them: GBK text with CR LF line ends, pictures in images/.
#include "storage/gbk.h"
#include "support/qt_printers.h"
#include "support/temp_dir.h"

#include <QColor>
#include <QImage>
#include <QString>

namespace testing_support {

class CatalogueFolder {
public:
    const std::filesystem::path& root() const { return dir_.path(); }
    std::filesystem::path operator/(const std::string& relative) const { return dir_ / relative; }

    // Writes UTF-8 text as GBK, each "\n" becoming CR LF.
    void writeText(const std::string& relative, const std::string& utf8) const {
        std::string crlf;
        for (char c : utf8) {
            if (c == '\n') crlf += '\r';
            crlf += c;
        }
        writeBytes(dir_ / relative, *pumpsel::gbk::fromUtf8(crlf));
    }

    // A picture of one colour, so that tests can tell which one is shown.
    void writePicture(const std::string& relative, QColor colour, int width = 40, int height = 60) const {
        std::filesystem::create_directories((dir_ / relative).parent_path());
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(colour);
        image.save(QString::fromStdU16String((dir_ / relative).u16string()), "PNG");
    }

    // The catalogue index of one kind, 离心泵, whose first maker 江南泵业 has
    // the data file a.dat and the picture a.png; `moreMakers` adds lines to
    // the kind's section.
    void writeOneMakerIndex(const std::string& moreMakers = {}) const {
        writeText("txt/bump.dat", "[种类]\n1=离心泵\n[离心泵]\n1=江南泵业\n1file=a.dat\n1pic=a.png\n" + moreMakers);
    }

    // A maker data file of records 1..count with simple values.
    void writeRecords(const std::string& relative, int count) const {
        std::string text;
        for (int n = 1; n <= count; ++n) {
            const std::string s = std::to_string(n);
            text += "[" + s + "]\n型号=P" + s + "\n流量1=" + s + "\n流量2=" + std::to_string(n + 10) +
                    "\n扬程1=" + std::to_string(n + 20) + "\n扬程2=" + s + "\n功率=" + s + ".5\n备注=remark " + s +
                    "\n";
        }
        writeText(relative, text);
    }

private:
    TempDir dir_;
};

}  // namespace testing_support
