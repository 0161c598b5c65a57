#include "app/catalogue_location.h"

#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>

#include <system_error>

namespace app {

namespace fs = std::filesystem;

namespace {

const fs::path kIndex = fs::path("txt") / "bump.dat";

bool holdsCatalogue(const fs::path& folder) {
    std::error_code ec;
    return fs::is_regular_file(folder / kIndex, ec);
}

fs::path pathOf(const QString& text) { return fs::path(text.toStdU16String()); }

QString textOf(const fs::path& path) { return QString::fromStdU16String(path.u16string()); }

// Copies the installed catalogue into a folder beside the user's, then moves
// its files in one by one, the index last: a start that dies half-way leaves
// no index, so the next start completes the copy. Files the user already has
// stay as they are.
bool copyInstalled(const fs::path& installed, const fs::path& user, QString* problem) {
    std::error_code ec;
    fs::create_directories(user.parent_path(), ec);
    QTemporaryDir stage(textOf(user.parent_path()) + QStringLiteral("/.pumpsel-first-start-XXXXXX"));
    if (!stage.isValid()) {
        *problem =
            QStringLiteral("cannot create a folder in %1: %2").arg(textOf(user.parent_path()), stage.errorString());
        return false;
    }
    const fs::path staged = pathOf(stage.path());
    fs::copy(installed, staged, fs::copy_options::recursive, ec);
    std::vector<fs::path> files;
    for (fs::recursive_directory_iterator it(staged, ec), end; !ec && it != end; it.increment(ec))
        if (it->is_regular_file(ec)) files.push_back(fs::relative(it->path(), staged, ec));
    if (ec) {
        *problem = QStringLiteral("cannot copy %1: %2").arg(textOf(installed), QString::fromStdString(ec.message()));
        return false;
    }
    std::stable_partition(files.begin(), files.end(), [](const fs::path& f) { return f != kIndex; });
    for (const fs::path& file : files) {
        const fs::path to = user / file;
        if (fs::exists(to, ec)) continue;
        // The installed files may be read-only; the user's copy is the user's to edit.
        fs::permissions(staged / file, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add, ec);
        fs::create_directories(to.parent_path(), ec);
        fs::rename(staged / file, to, ec);
        if (ec) {
            *problem = QStringLiteral("cannot make %1: %2").arg(textOf(to), QString::fromStdString(ec.message()));
            return false;
        }
    }
    return true;
}

}  // namespace

fs::path installedCatalogue(const fs::path& programFolder) {
    return (programFolder / ".." / "share" / "pumpsel").lexically_normal();
}

// The generic data folder, not the application's: the application name is
// the Chinese title the windows show, and the folder keeps a plain name.
fs::path userCatalogue() {
    return pathOf(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)) / "pumpsel";
}

CatalogueLocation locateCatalogue(const std::optional<fs::path>& given, const fs::path& programFolder) {
    CatalogueLocation location;
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
    location.looked.push_back(installed);
    if (!holdsCatalogue(installed)) {
        // Nothing to copy: the program's own folder is where a catalogue is put by hand.
        location.folder = programFolder;
        return location;
    }
    location.found = copyInstalled(installed, user, &location.problem) && holdsCatalogue(user);
    return location;
}

}  // namespace app
