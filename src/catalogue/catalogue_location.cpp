#include "catalogue/catalogue_location.h"

#include "catalogue/catalogue.h"
#include "storage/file_ops.h"

#include <cstdlib>

#ifdef _WIN32
#include <windows.h>

#include <shlobj.h>
#endif

namespace pumpsel::catalogue {

namespace fs = std::filesystem;

namespace {

// The user's catalogue keeps a plain folder name: the program's title, under
// which its settings go, is Chinese.
const std::string_view kFolderName = "pumpsel";

#ifndef _WIN32
fs::path environmentPath(const char* name) {
    const char* value = std::getenv(name);
    return value ? fs::path(value) : fs::path();
}
#endif

}  // namespace

bool holdsCatalogue(const fs::path& folder) { return files::isRegularFile(Catalogue(folder).indexPath()); }

#ifdef _WIN32
fs::path userDataFolder() {
    fs::path folder;
    wchar_t* path = nullptr;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_DONT_VERIFY, nullptr, &path))) folder = path;
    CoTaskMemFree(path);
    return folder;
}

std::string_view userCatalogueInWords() { return "%LOCALAPPDATA%\\pumpsel"; }
#else
fs::path userDataFolder() {
    const fs::path dataHome = environmentPath("XDG_DATA_HOME");
    if (!dataHome.empty()) return dataHome;
    const fs::path home = environmentPath("HOME");
    return (home.empty() ? fs::path("/") : home).lexically_normal() / ".local" / "share";
}

std::string_view userCatalogueInWords() { return "$XDG_DATA_HOME/pumpsel, by default ~/.local/share/pumpsel"; }
#endif

fs::path userCatalogue() { return userDataFolder() / files::pathFromUtf8(kFolderName); }

fs::path installedCatalogue(const fs::path& programFolder) {
    return (programFolder / ".." / "share" / files::pathFromUtf8(kFolderName)).lexically_normal();
}

Location locateCatalogue(const std::optional<fs::path>& given, const fs::path& programFolder,
                         const CopyInstalled& copyInstalled) {
    Location location;
    auto take = [&](const fs::path& folder) {
        location.looked.push_back(folder);
        location.folder = folder;
        location.found = holdsCatalogue(folder);
        return location.found;
    };
    if (given) {
        take(*given);
        return location;
    }
    if (take(programFolder)) return location;
    const fs::path user = userCatalogue();
    if (take(user)) return location;
    const fs::path installed = installedCatalogue(programFolder);
    if (!take(installed)) {
        location.folder = programFolder;
        return location;
    }
    if (copyInstalled) {
        location.folder = user;
        location.found = copyInstalled(installed, user, &location.problem) && holdsCatalogue(user);
    }
    return location;
}

}  // namespace pumpsel::catalogue
