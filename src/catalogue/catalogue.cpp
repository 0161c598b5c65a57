#include "catalogue/catalogue.h"

#include "storage/file_ops.h"
#include "storage/profile.h"

namespace pumpsel::catalogue {

namespace {
const std::string_view kTxtFolder = "txt";
const std::string_view kImagesFolder = "images";
const std::string_view kReportFile = "水泵选型结果.txt";
const std::string_view kHelpFile = "水泵选型.txt";
const std::string_view kInvitationFile = "水泵厂商.txt";
const std::string_view kThumbnailPrefix = "sm_";
}  // namespace

std::string numberedKey(int number, std::string_view word) { return std::to_string(number).append(word); }

bool isUnknown(std::string_view value) { return value == ini::kUnknown; }

std::string orNotGiven(std::string value) { return isUnknown(value) ? std::string(kNotGiven) : value; }

Enumeration enumerate(const std::function<std::string(int)>& nameOf,
                      const std::function<void(int, const std::string&)>& onItem) {
    Enumeration result;
    for (int n = 1;; ++n) {
        std::string name = nameOf(n);
        if (isUnknown(name)) break;
        result.count = n;
        if (onItem) onItem(n, name);
        if (n == kMaxCounter) {
            result.limitReached = true;
            break;
        }
    }
    return result;
}

std::filesystem::path insideFolder(const std::filesystem::path& folder, std::string_view storedName) {
    std::filesystem::path result = folder;
    bool any = false;
    std::size_t start = 0;
    while (start <= storedName.size()) {
        std::size_t end = storedName.find_first_of("\\/", start);
        if (end == std::string_view::npos) end = storedName.size();
        std::string_view part = storedName.substr(start, end - start);
        if (end == 0 && end < storedName.size()) return {};  // leading separator: absolute
        if (part == "..") return {};                         // climbs out
        if (part.size() >= 2 && part[1] == ':') return {};   // a drive letter
        if (part.find('\0') != std::string_view::npos) return {};
        if (!part.empty() && part != ".") {
            result /= files::pathFromUtf8(part);
            any = true;
        }
        start = end + 1;
    }
    return any ? result : std::filesystem::path();
}

Placed placeInFolder(const std::filesystem::path& folder, std::string_view storedName) {
    std::filesystem::path path = insideFolder(folder, storedName);
    if (path.empty()) return {{}, Placement::NoName};
    if (!files::liesWithin(folder, path)) return {{}, Placement::LeadsOutByLink};
    return {std::move(path), Placement::Inside};
}

Catalogue::Catalogue(std::filesystem::path programFolder)
    : programFolder_(std::move(programFolder)),
      indexPath_(textFile(kIndexFile)),
      indexInside_(files::liesWithin(indexPath_.parent_path(), indexPath_)),
      indexRead_(indexInside_ ? indexPath_ : std::filesystem::path()) {}

std::filesystem::path Catalogue::textFile(std::string_view name) const {
    return programFolder_ / files::pathFromUtf8(kTxtFolder) / files::pathFromUtf8(name);
}

std::filesystem::path Catalogue::reportPath() const { return programFolder_ / files::pathFromUtf8(kReportFile); }

std::filesystem::path Catalogue::helpText() const { return textFile(kHelpFile); }

std::filesystem::path Catalogue::invitationText() const { return textFile(kInvitationFile); }

std::string Catalogue::kindName(int k) const {
    return ini::ReadProfileValue(indexRead_, kKindsSection, numberedKey(k));
}

std::string Catalogue::kindDescription(int k) const {
    return orNotGiven(ini::ReadProfileValue(indexRead_, kKindsSection, numberedKey(k, kDescriptionWord)));
}

std::string Catalogue::makerValue(std::string_view kind, int m, std::string_view word) const {
    return ini::ReadProfileValue(indexRead_, kind, numberedKey(m, word));
}

Placed Catalogue::placeMakerFile(std::string_view kind, int m, MakerFile which) const {
    if (which == MakerFile::Data)
        return placeInFolder(programFolder_ / files::pathFromUtf8(kTxtFolder), makerValue(kind, m, kDataFileWord));
    const std::string prefix(which == MakerFile::Thumbnail ? kThumbnailPrefix : "");
    return placeInFolder(programFolder_ / files::pathFromUtf8(kImagesFolder),
                         prefix + makerValue(kind, m, kPictureWord));
}

std::filesystem::path Catalogue::makerDataFile(std::string_view kind, int m) const {
    return placeMakerFile(kind, m, MakerFile::Data).path;
}

std::filesystem::path Catalogue::makerPicture(std::string_view kind, int m) const {
    return placeMakerFile(kind, m, MakerFile::Picture).path;
}

std::filesystem::path Catalogue::makerThumbnail(std::string_view kind, int m) const {
    return placeMakerFile(kind, m, MakerFile::Thumbnail).path;
}

}  // namespace pumpsel::catalogue
