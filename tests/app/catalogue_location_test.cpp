// Where the program finds its catalogue: given folder, portable folder, the
// user's copy of the installed catalogue. Real folders in a temporary HOME.
#include "app/catalogue_location.h"
#include "support/catalogue_files.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <QByteArray>
#include <QStandardPaths>

namespace fs = std::filesystem;
using testing_support::readBytes;
using testing_support::TempDir;
using testing_support::writeBytes;
using testing_support::writeGbk;

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
