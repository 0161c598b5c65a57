#pragma once
// The catalogue's layout in one place: where its files lie, how its sections
// and keys are named, how numbered items are enumerated.
//
//   txt/bump.dat           catalogue index: section "种类" lists the kinds
//                          (k, k+"mem"); one section per kind lists its makers
//                          (m, m+"add", m+"yb", m+"tel", m+"file", m+"pic")
//   txt/<m+"file">         maker data file: sections 1, 2, ... are pump records
//   images/<m+"pic">       the maker's pump picture; "sm_" + name: its thumbnail
#include <array>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace pumpsel::catalogue {

// The catalogue index's name in the folder txt/.
inline constexpr std::string_view kIndexFile = "bump.dat";
inline constexpr std::string_view kKindsSection = "种类";
inline constexpr std::string_view kModelKey = "型号";
inline constexpr std::string_view kFlow1Key = "流量1";
inline constexpr std::string_view kFlow2Key = "流量2";
inline constexpr std::string_view kHead1Key = "扬程1";
inline constexpr std::string_view kHead2Key = "扬程2";
inline constexpr std::string_view kPowerKey = "功率";
inline constexpr std::string_view kRemarkKey = "备注";
// The seven values of a pump record, in the order they are compared and written.
inline constexpr std::array<std::string_view, 7> kRecordKeys = {kModelKey, kFlow1Key, kFlow2Key, kHead1Key,
                                                                kHead2Key, kPowerKey, kRemarkKey};

// The words after a number in the catalogue index: a kind's description
// (1mem), and a maker's address, postcode, telephone, data file and
// picture in its kind's section (3add, 3yb, 3tel, 3file, 3pic).
inline constexpr std::string_view kDescriptionWord = "mem";
inline constexpr std::string_view kAddressWord = "add";
inline constexpr std::string_view kPostcodeWord = "yb";
inline constexpr std::string_view kTelephoneWord = "tel";
inline constexpr std::string_view kDataFileWord = "file";
inline constexpr std::string_view kPictureWord = "pic";

// Shown instead of a missing address, postcode, telephone or kind description.
inline constexpr std::string_view kNotGiven = "不详";

// Counters are 16-bit signed: an enumeration lists at most this many items.
inline constexpr int kMaxCounter = 32767;

// "3" for 3, "3file" for 3 and "file": the number first, then the word.
std::string numberedKey(int number, std::string_view word = {});

// The value, or "不详" when it reads "unknown".
std::string orNotGiven(std::string value);

// True for the missing-value sentinel (exact, case-sensitive).
bool isUnknown(std::string_view value);

struct Enumeration {
    int count = 0;              // items found: 1..count all exist
    bool limitReached = false;  // item kMaxCounter exists; the next number cannot be formed
};

// Walks numbered items 1, 2, ... : nameOf(n) reads item n's name; the walk
// stops at the first name that reads "unknown" or after kMaxCounter items.
// onItem(n, name) is called for every item found.
Enumeration enumerate(const std::function<std::string(int)>& nameOf,
                      const std::function<void(int, const std::string&)>& onItem = {});

// folder + a stored relative name; a backslash separates folders on every
// platform. Empty for a name that is empty, absolute or climbs out of folder.
std::filesystem::path insideFolder(const std::filesystem::path& folder, std::string_view storedName);

// Where a stored name leads.
enum class Placement {
    Inside,
    NoName,         // empty, absolute, or climbing out of the folder by its name
    LeadsOutByLink  // a symbolic link on the way leads out of the folder
};
struct Placed {
    std::filesystem::path path;  // empty unless Inside
    Placement placement = Placement::Inside;
};

// insideFolder, and then the real path, every link on the way followed:
// a catalogue's reads keep to its folders, so a link in a catalogue that a
// publisher sent cannot lead a read to /etc/passwd or /proc.
Placed placeInFolder(const std::filesystem::path& folder, std::string_view storedName);

// A catalogue folder tree under the program folder.
class Catalogue {
public:
    explicit Catalogue(std::filesystem::path programFolder);

    const std::filesystem::path& programFolder() const { return programFolder_; }
    const std::filesystem::path& indexPath() const { return indexPath_; }  // txt/bump.dat
    // False when the index is a link whose target lies outside txt/: then it
    // reads as missing.
    bool indexInside() const { return indexInside_; }
    std::filesystem::path textFile(std::string_view name) const;  // txt/<name>
    std::filesystem::path reportPath() const;                     // 水泵选型结果.txt
    std::filesystem::path helpText() const;                       // txt/水泵选型.txt
    std::filesystem::path invitationText() const;                 // txt/水泵厂商.txt, to pump makers

    // Kind k's name and its description ("不详" when missing).
    std::string kindName(int k) const;
    std::string kindDescription(int k) const;
    // A value of maker m of a kind: key m + word in the kind's section.
    std::string makerValue(std::string_view kind, int m, std::string_view word = {}) const;

    // The maker's data file (in txt/), picture and thumbnail (in images/).
    // A name that is absolute or climbs out of its folder, or a file whose
    // real path leaves the folder through a link, gives an empty path, which
    // reads as a missing file and cannot be written.
    std::filesystem::path makerDataFile(std::string_view kind, int m) const;
    std::filesystem::path makerPicture(std::string_view kind, int m) const;
    std::filesystem::path makerThumbnail(std::string_view kind, int m) const;

    // The same, with why a path is empty (for the check).
    enum class MakerFile { Data, Picture, Thumbnail };
    Placed placeMakerFile(std::string_view kind, int m, MakerFile which) const;

private:
    std::filesystem::path programFolder_;
    std::filesystem::path indexPath_;  // made once: every catalogue read names it
    bool indexInside_ = true;
    std::filesystem::path indexRead_;  // indexPath_, or empty when it leads out
};

}  // namespace pumpsel::catalogue
