// pumpsel-ini started as on Windows: Chinese arguments and folder names
// (which main would receive in the ANSI code page, GBK here), the program's
// own folder when it is started through PATH, and output redirected to a
// file, byte for byte.
#include "support/temp_dir.h"
#include "windows/program.h"

#include <gtest/gtest.h>

#include <windows.h>

using testing_support::besideTestProgram;
using testing_support::commandLine;
using testing_support::Program;
using testing_support::readBytes;
using testing_support::TempDir;
using testing_support::writeBytes;

namespace {

std::string utf8Of(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

struct Ran {
    DWORD exitCode = 255;
    std::string out, err;
};

// PATH led by a folder while it lives, for the programs started meanwhile.
class PathLedBy {
public:
    explicit PathLedBy(const std::filesystem::path& folder) {
        wchar_t path[32767];
        const DWORD length = ::GetEnvironmentVariableW(L"PATH", path, 32767);
        old_.assign(path, length);
        ::SetEnvironmentVariableW(L"PATH", (folder.wstring() + L";" + old_).c_str());
    }
    ~PathLedBy() { ::SetEnvironmentVariableW(L"PATH", old_.c_str()); }

private:
    std::wstring old_;
};

class PumpselIniOnWindows : public ::testing::Test {
protected:
    // Runs the command line in the folder to its end.
    Ran run(std::wstring line, const std::filesystem::path& folder = {}) {
        Ran ran;
        {
            Program program(std::move(line), logs / "out.txt", logs / "err.txt", folder);
            EXPECT_TRUE(program.started());
            ran.exitCode = program.exitCode();
        }
        ran.out = readBytes(logs / "out.txt");
        ran.err = readBytes(logs / "err.txt");
        return ran;
    }
    Ran pumpselIni(const std::vector<std::string>& arguments) {
        return run(commandLine(besideTestProgram(L"pumpsel-ini.exe"), arguments));
    }
    void copyDemoCatalogue() {
        std::filesystem::create_directory(chinese);
        for (const char* part : {"txt", "images"})
            std::filesystem::copy(std::filesystem::path(DEMO_CATALOGUE) / part, chinese / part,
                                  std::filesystem::copy_options::recursive);
    }

    TempDir dir, logs;
    const std::filesystem::path chinese = dir / "水泵目录";
};

// [1] with 型号=IS50-32-125 in GBK (the bytes from python3: '型号'.encode('gbk')).
const std::string kRecord = "[1]\r\n\xd0\xcd\xba\xc5=IS50-32-125\r\n";

}  // namespace

TEST_F(PumpselIniOnWindows, ChineseKeysValuesAndPathsReachTheFile) {
    const auto file = chinese / "泵.dat";
    writeBytes(file, kRecord);
    const Ran model = pumpselIni({"get", utf8Of(file), "1", "型号"});
    EXPECT_EQ(model.out, "IS50-32-125\n") << model.err;

    const Ran set = pumpselIni({"set", utf8Of(file), "1", "备注", "中文值"});
    EXPECT_EQ(set.exitCode, 0u) << set.err;
    // 备注=中文值 in GBK, python3: '备注=中文值'.encode('gbk')
    EXPECT_EQ(readBytes(file), kRecord + "\xb1\xb8\xd7\xa2=\xd6\xd0\xce\xc4\xd6\xb5\r\n");
    EXPECT_EQ(pumpselIni({"get", utf8Of(file), "1", "备注"}).out, "中文值\n");
}

TEST_F(PumpselIniOnWindows, SearchAndCheckTakeChineseKindsAndFolders) {
    copyDemoCatalogue();
    const Ran search = pumpselIni({"search", utf8Of(chinese), "单级单吸离心泵", "25", "20"});
    EXPECT_EQ(search.exitCode, 0u) << search.err;
    EXPECT_TRUE(search.out.starts_with("厂家\t型号\t")) << search.out;
    // The demo's IS65-50-125 runs 15 to 30 m3/h and has a curve with a point at 25 m3/h: 19.63 m,
    // 1.85 % below 20 m, η 69 % (its best), 1.938 kW, NPSH 2 m; 25 lies at 10/15 = 66.7 % of its range.
    EXPECT_NE(search.out.find("\n青禾泵业有限公司\tIS65-50-125\t曲线\t15.0 ～ 30.0\t22.0 ～ 18.0\t3\t-1.9%\t66.7%\t"
                              "25.0\t19.6\t69.0\t1.94\t2.0\t是\t\t转速2900r/min，"),
              std::string::npos)
        << search.out;

    const Ran unknown = pumpselIni({"search", utf8Of(chinese), "没有的泵", "25", "20"});
    EXPECT_EQ(unknown.exitCode, 2u);
    EXPECT_EQ(unknown.err, "pumpsel-ini: search: the catalogue has no kind \"没有的泵\"\n");

    const Ran check = pumpselIni({"check", utf8Of(chinese)});
    EXPECT_EQ(check.exitCode, 0u) << check.out << check.err;
    EXPECT_TRUE(check.out.ends_with(": no problems\n")) << check.out;
}

TEST_F(PumpselIniOnWindows, StartedThroughPathCheckTakesTheCatalogueBesideTheProgram) {
    copyDemoCatalogue();
    std::filesystem::copy_file(besideTestProgram(L"pumpsel-ini.exe"), chinese / "pumpsel-ini.exe");
    const auto elsewhere = dir / "elsewhere";
    std::filesystem::create_directory(elsewhere);
    const PathLedBy path(chinese);
    const Ran check = run(L"cmd /c pumpsel-ini check", elsewhere);
    EXPECT_EQ(check.exitCode, 0u) << check.out << check.err;
    EXPECT_TRUE(check.out.ends_with(": no problems\n")) << check.out;
}

TEST_F(PumpselIniOnWindows, OutputRedirectedToAFileIsWhatTheToolWritesItself) {
    const auto file = dir / "pumps.dat", csv = dir / "pumps.csv";
    writeBytes(file, kRecord + "[2]\r\n\xd0\xcd\xba\xc5=IS65-50-125\r\n");
    const Ran written = pumpselIni({"export", utf8Of(file), "-o", utf8Of(csv)});
    ASSERT_EQ(written.exitCode, 0u) << written.err;
    const std::string bytes = readBytes(csv);
    ASSERT_NE(bytes.find("IS65-50-125"), std::string::npos);
    ASSERT_NE(bytes.find("\r\n"), std::string::npos);

    const Ran redirected = pumpselIni({"export", utf8Of(file)});
    EXPECT_EQ(redirected.exitCode, 0u) << redirected.err;
    EXPECT_EQ(redirected.out, bytes);
}
