#include "app/catalogue_location.h"

#include "catalogue/catalogue.h"
#include "storage/file_ops.h"
#include "ui/message_box.h"
#include "ui/text.h"

#include <QDebug>
#include <QTemporaryDir>

#include <algorithm>
#include <string>
#include <system_error>
#include <vector>

namespace app {

namespace fs = std::filesystem;

namespace {

std::string utf8Of(const fs::path& path) { return ui::pathText(path).toStdString(); }

// Copies the files of a folder and its subfolders into another, one by one,
// and gives their names relative to it; stops at the first error. (Copying
// the folder whole, MinGW's std::filesystem::copy takes two folders on one
// Windows drive for the same one, having no file numbers there, and refuses.)
std::vector<fs::path> copyFiles(const fs::path& from, const fs::path& to, std::error_code& ec) {
    std::vector<fs::path> files;
    for (fs::recursive_directory_iterator it(from, ec), end; !ec && it != end; it.increment(ec)) {
        const bool regular = it->is_regular_file(ec);
        if (ec) break;
        if (!regular) continue;
        const fs::path file = it->path().lexically_relative(from);
        fs::create_directories((to / file).parent_path(), ec);
        if (!ec) fs::copy_file(it->path(), to / file, ec);
        if (ec) break;
        files.push_back(file);
    }
    return files;
}

// Copies the installed catalogue into a folder beside the user's, then moves
// its files in one by one, the index last: a start that dies half-way leaves
// no index, so the next start completes the copy. Files the user already has
// stay as they are. Nothing is written through a link that leads out of the
// user's data folder (a txt/ planted as a link to another folder).
bool copyInstalled(const fs::path& installed, const fs::path& user, std::string* problem) {
    std::error_code ec;
    fs::create_directories(user.parent_path(), ec);
    QTemporaryDir stage(ui::pathText(user.parent_path()) + QStringLiteral("/.pumpsel-first-start-XXXXXX"));
    if (!stage.isValid()) {
        *problem = "cannot create a folder in " + utf8Of(user.parent_path()) + ": " + stage.errorString().toStdString();
        return false;
    }
    const fs::path staged = ui::pathOf(stage.path());
    std::vector<fs::path> files = copyFiles(installed, staged, ec);
    if (ec) {
        *problem = "cannot copy " + utf8Of(installed) + ": " + pumpsel::files::errorText(ec);
        return false;
    }
    const fs::path index = pumpsel::catalogue::Catalogue(staged).indexPath().lexically_relative(staged);
    std::stable_partition(files.begin(), files.end(), [&](const fs::path& f) { return f != index; });
    for (const fs::path& file : files) {
        const fs::path to = user / file;
        if (fs::exists(to, ec)) continue;
        if (!pumpsel::files::liesWithin(user.parent_path(), to)) {
            *problem =
                "not copied: " + utf8Of(to) + " lies behind a link to a place outside " + utf8Of(user.parent_path());
            return false;
        }
        // The installed files may be read-only; the user's copy is the user's to edit.
        fs::permissions(staged / file, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add, ec);
        fs::create_directories(to.parent_path(), ec);
        fs::rename(staged / file, to, ec);
        if (ec) {
            *problem = "cannot make " + utf8Of(to) + ": " + pumpsel::files::errorText(ec);
            return false;
        }
    }
    return true;
}

}  // namespace

pumpsel::catalogue::Location locateCatalogue(const std::optional<fs::path>& given, const fs::path& programFolder) {
    return pumpsel::catalogue::locateCatalogue(given, programFolder, copyInstalled);
}

void reportMissingCatalogue(const pumpsel::catalogue::Location& location, QWidget* window) {
    QStringList looked;
    for (const fs::path& place : location.looked) looked << ui::nativePath(place);
    const QString problem = ui::fromUtf8(location.problem);
    qWarning().noquote() << "pumpsel: no catalogue (txt/bump.dat) found; looked in:" << looked.join(u", ");
    if (!problem.isEmpty()) qWarning().noquote() << "pumpsel:" << problem;
#ifdef _WIN32
    QString text = QStringLiteral("找不到泵数据库 txt\\bump.dat，查找过的文件夹：\n") + looked.join(u'\n');
    if (!problem.isEmpty()) text += QStringLiteral("\n\n未能复制泵数据库：") + problem;
    ui::showMessage(window, text, ui::kAttentionTitle, ui::MessageStyle::Exclamation);
#else
    Q_UNUSED(window);
#endif
}

}  // namespace app
