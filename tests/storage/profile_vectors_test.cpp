// The profile reader and writer agree with recorded answers of the Windows
// profile services (code page 936) on tricky files.
#include "storage/profile.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace pumpsel;
using testing_support::TempDir;

namespace {

std::vector<QJsonObject> vectors(const QString& kind) {
    QFile file(QStringLiteral(TEST_DATA_DIR "/profile-vectors/profile-vectors.jsonl"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    std::vector<QJsonObject> result;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.trimmed().isEmpty()) continue;
        QJsonObject o = QJsonDocument::fromJson(line).object();
        if (o.value("kind").toString() == kind) result.push_back(o);
    }
    return result;
}

std::string bytesOf(const QJsonValue& hex) { return testing_support::fromHex(hex.toString().toStdString()); }
std::string utf8(const QJsonValue& v) { return v.toString().toStdString(); }

std::string printable(const std::string& bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n\n";
        else if (c < 0x20 || c >= 0x80) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02x", c);
            out += buf;
        } else
            out.push_back(static_cast<char>(c));
    }
    return out;
}

}  // namespace

TEST(ProfileVectors, ReadsAgreeWithTheWindowsServices) {
    TempDir dir;
    const auto file = dir / "vector.ini";
    auto reads = vectors("read");
    ASSERT_EQ(reads.size(), 300u);
    int n = 0;
    for (const QJsonObject& v : reads) {
        ++n;
        testing_support::writeBytes(file, bytesOf(v["file"]));
        const std::string section = utf8(v["section"]), key = utf8(v["key"]);
        SCOPED_TRACE("vector " + std::to_string(n) + " [" + section + "] " + key + "\n" +
                     printable(bytesOf(v["file"])));
        EXPECT_EQ(ini::lookupValue(file, section, key).value_or("unknown"), utf8(v["service_value"]));
        EXPECT_EQ(ini::ReadProfileValue(file, section, key), utf8(v["value"]));
    }
}

TEST(ProfileVectors, WritesAgreeWithTheWindowsServices) {
    auto writes = vectors("write");
    ASSERT_EQ(writes.size(), 50u);
    int n = 0;
    for (const QJsonObject& v : writes) {
        ++n;
        TempDir dir;
        const auto file = dir / "vector.ini";
        if (!v["file"].isNull()) testing_support::writeBytes(file, bytesOf(v["file"]));
        SCOPED_TRACE("vector " + std::to_string(n));
        const QJsonArray ops = v["ops"].toArray(), ok = v["ok"].toArray();
        for (int i = 0; i < ops.size(); ++i) {
            const QJsonArray op = ops[i].toArray();
            EXPECT_EQ(static_cast<bool>(ini::writeValue(file, utf8(op[0]), utf8(op[1]), utf8(op[2]))), ok[i].toBool());
        }
        if (v["after"].isNull()) {
            EXPECT_FALSE(std::filesystem::exists(file));
        } else {
            EXPECT_EQ(printable(testing_support::readBytes(file)), printable(bytesOf(v["after"])));
        }
        EXPECT_EQ(testing_support::fileNames(dir.path()), std::vector<std::string>{"vector.ini"});
    }
}
