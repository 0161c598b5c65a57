// Where the program finds its catalogue: given folder, portable folder, the
// user's copy of the installed catalogue. Real folders in a temporary HOME.
#include "app/catalogue_location.h"
#include "support/catalogue_files.h"
#include "support/message_boxes.h"
#include "support/temp_dir.h"
#include "ui/text.h"

#include <gtest/gtest.h>
#include <QByteArray>
#include <QStandardPaths>
#include <QWidget>

namespace fs = std::filesystem;
using testing_support::readBytes;
using testing_support::TempDir;
using testing_support::writeBytes;
using testing_support::writeGbk;

// The user's folder follows HOME, which the tests point to a folder of their
// own. On Windows it is the system's local data folder, which no variable
// moves: there the installer's test makes and checks the first-start copy.
#ifdef _WIN32
#define SKIP_WHERE_HOME_DOES_NOT_MOVE_THE_USERS_FOLDER() \
    GTEST_SKIP() << "the user's folder is the system's local data folder here, which HOME does not move"
#else
#define SKIP_WHERE_HOME_DOES_NOT_MOVE_THE_USERS_FOLDER()
#endif

namespace {

class CatalogueLocation : public ::testing::Test {
protected:
    void SetUp() override {
        savedHome = qgetenv("HOME");
        savedDataHome = qgetenv("XDG_DATA_HOME");
        qputenv("HOME", QByteArray::fromStdString(home.path().string()));
        qunsetenv("XDG_DATA_HOME");
    }
    void TearDown() override {
        qputenv("HOME", savedHome);
        if (savedDataHome.isNull())
            qunsetenv("XDG_DATA_HOME");
        else
            qputenv("XDG_DATA_HOME", savedDataHome);
    }

    // An installed program: prefix/bin, and the catalogue in prefix/share/pumpsel.
    void install() {
        writeGbk(installed / "txt" / "bump.dat", "[种类]\n1=离心泵\n");
        writeGbk(installed / "txt" / "a.dat", "[1]\n型号=IS50\n");
        writeBytes(installed / "images" / "sm_a.jpg", "picture");
        fs::permissions(installed / "txt" / "a.dat", fs::perms::owner_read | fs::perms::group_read);
    }

    QByteArray savedHome, savedDataHome;
    TempDir home, prefix;
    fs::path program = prefix.path() / "bin";
    fs::path installed = prefix.path() / "share" / "pumpsel";
    fs::path user = home.path() / ".local" / "share" / "pumpsel";
};

}  // namespace

TEST_F(CatalogueLocation, AGivenFolderWinsThenAPortableFolder) {
    install();
    fs::create_directories(program);
    const fs::path given = prefix.path() / "elsewhere";
    auto location = app::locateCatalogue(given, program);
    EXPECT_EQ(location.folder, given);
    EXPECT_FALSE(location.found);
    EXPECT_EQ(location.looked, std::vector<fs::path>{given});

    writeGbk(program / "txt" / "bump.dat", "[种类]\n");
    location = app::locateCatalogue(std::nullopt, program);
    EXPECT_EQ(location.folder, program);
    EXPECT_TRUE(location.found);
    EXPECT_FALSE(fs::exists(user)) << "a portable folder makes no copy";
}

TEST_F(CatalogueLocation, FirstStartCopiesTheInstalledCatalogueAndLaterStartsKeepTheUsersFiles) {
    SKIP_WHERE_HOME_DOES_NOT_MOVE_THE_USERS_FOLDER();
    install();
    fs::create_directories(program);
    auto location = app::locateCatalogue(std::nullopt, program);
    ASSERT_TRUE(location.found) << location.problem;
    EXPECT_EQ(location.folder, user);
    EXPECT_EQ(location.looked, (std::vector<fs::path>{program, user, installed}));
    for (const char* file : {"txt/bump.dat", "txt/a.dat", "images/sm_a.jpg"})
        EXPECT_EQ(readBytes(user / file), readBytes(installed / file)) << file;
    EXPECT_NE(fs::status(user / "txt" / "a.dat").permissions() & fs::perms::owner_write, fs::perms::none);
    EXPECT_EQ(testing_support::fileNames(user.parent_path()), std::vector<std::string>{"pumpsel"});

    // The user's edits and report stay; an index removed by hand comes back.
    writeBytes(user / "txt" / "a.dat", "edited");
    writeBytes(user / "水泵选型结果.txt", "report");
    location = app::locateCatalogue(std::nullopt, program);
    EXPECT_EQ(location.looked, (std::vector<fs::path>{program, user}));
    fs::remove(user / "txt" / "bump.dat");
    location = app::locateCatalogue(std::nullopt, program);
    EXPECT_TRUE(location.found);
    EXPECT_EQ(readBytes(user / "txt" / "a.dat"), "edited");
    EXPECT_EQ(readBytes(user / "水泵选型结果.txt"), "report");
    EXPECT_EQ(readBytes(user / "txt" / "bump.dat"), readBytes(installed / "txt" / "bump.dat"));
}

// A txt/ planted in the user's folder as a link to another folder does not
// carry the first-start copy there.
TEST_F(CatalogueLocation, TheFirstStartCopyWritesNothingThroughALinkOutOfTheUsersFolder) {
    SKIP_WHERE_HOME_DOES_NOT_MOVE_THE_USERS_FOLDER();
    install();
    fs::create_directories(program);
    TempDir elsewhere;
    fs::create_directories(user);
    fs::create_directory_symlink(elsewhere.path(), user / "txt");
    const auto location = app::locateCatalogue(std::nullopt, program);
    EXPECT_FALSE(location.found);
    EXPECT_TRUE(location.problem.starts_with("not copied: " + (user / "txt").string())) << location.problem;
    EXPECT_NE(location.problem.find("lies behind a link to a place outside " + user.parent_path().string()),
              std::string::npos)
        << location.problem;
    EXPECT_TRUE(testing_support::fileNames(elsewhere.path()).empty());
}

TEST_F(CatalogueLocation, WithNothingInstalledTheProgramFolderIsNamed) {
    SKIP_WHERE_HOME_DOES_NOT_MOVE_THE_USERS_FOLDER();
    fs::create_directories(program);
    const auto location = app::locateCatalogue(std::nullopt, program);
    EXPECT_FALSE(location.found);
    EXPECT_EQ(location.folder, program);
    EXPECT_EQ(location.looked, (std::vector<fs::path>{program, user, installed}));
    EXPECT_FALSE(fs::exists(user));
}

// pumpsel-ini computes the user's folder without Qt; it must be the folder
// QStandardPaths names for the program, whatever HOME and XDG_DATA_HOME say.
TEST_F(CatalogueLocation, TheUsersFolderIsTheOneQtNames) {
    QStandardPaths::setTestModeEnabled(false);
    const std::string homeText = home.path().string();
    const std::vector<std::pair<std::string, std::optional<std::string>>> environments = {
        {homeText, std::nullopt}, {homeText + "/", std::nullopt}, {"", std::nullopt}, {homeText, homeText + "/data"},
        {homeText, ""},           {homeText, "relative/data"},
    };
    for (const auto& [homeValue, dataHome] : environments) {
        qputenv("HOME", QByteArray::fromStdString(homeValue));
        if (dataHome)
            qputenv("XDG_DATA_HOME", QByteArray::fromStdString(*dataHome));
        else
            qunsetenv("XDG_DATA_HOME");
        const fs::path qtFolder =
            QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation).toStdU16String();
        EXPECT_EQ(pumpsel::catalogue::userCatalogue(), qtFolder / "pumpsel")
            << "HOME=" << homeValue << " XDG_DATA_HOME=" << dataHome.value_or("(unset)");
    }
    QStandardPaths::setTestModeEnabled(true);
}

namespace {

QStringList warnings;

void keepWarning(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtWarningMsg && message.startsWith(u"pumpsel:")) warnings << message;
}

}  // namespace

// Every folder looked in, and why no copy was made, reach the user: on a
// terminal, and on Windows, where a windowed program has none, in a box.
TEST(MissingCatalogue, TheUserLearnsEveryFolderLookedInAndWhyNoCopyWasMade) {
    pumpsel::catalogue::Location location;
    location.looked = {fs::path(u8"程序") / "bin", fs::path("user") / "pumpsel"};
    location.folder = location.looked.front();
    location.problem = "cannot copy share: denied";
    QWidget window;
    window.show();
    testing_support::MessageBoxes boxes;
    warnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(keepWarning);
    app::reportMissingCatalogue(location, &window);
    qInstallMessageHandler(previous);

    const QString folders =
        ui::nativePath(location.looked[0]) + QStringLiteral(", ") + ui::nativePath(location.looked[1]);
    EXPECT_EQ(warnings.join(u'\n').toStdString(), "pumpsel: no catalogue (txt/bump.dat) found; looked in: " +
                                                      folders.toStdString() + "\npumpsel: cannot copy share: denied");
#ifdef _WIN32
    ASSERT_EQ(boxes.seen.size(), 1u);
    EXPECT_EQ(boxes.seen[0].title.toStdString(), "注意");
    EXPECT_EQ(boxes.seen[0].text.toStdString(),
              "找不到泵数据库 txt\\bump.dat，查找过的文件夹：\n程序\\bin\nuser\\pumpsel\n\n"
              "未能复制泵数据库：cannot copy share: denied");
#else
    EXPECT_TRUE(boxes.seen.empty()) << "the window itself names the folder; the terminal gets the rest";
#endif
}
