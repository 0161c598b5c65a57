// The program starts with the selection window; closing it ends the program.
#include "app/catalogue_location.h"
#include "app/memory.h"
#include "selection/selection_window.h"
#include "ui/fonts.h"
#include "ui/list_view.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QLoggingCategory>

// Off unless asked for (QT_LOGGING_RULES="pumpsel.start.info=true"): where
// the catalogue was found and how many kinds it lists.
Q_LOGGING_CATEGORY(startLog, "pumpsel.start", QtWarningMsg)

int main(int argc, char** argv) {
    app::keepLargeBuffersInHeap();
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("水泵"));
    app.setApplicationVersion(QStringLiteral(PUMPSEL_VERSION));
    app.setFont(ui::simSun9());

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral(
            "水泵选型 — pump selection.\n\n"
            "The catalogue folder (txt/bump.dat, the maker files, images/; the report is written there too) is,\n"
            "in this order:\n"
            "  1. the folder given with --catalogue;\n"
            "  2. the program's own folder, when it holds txt/bump.dat;\n"
            "  3. the user's catalogue folder, %1,\n"
            "     made on first start as a copy of the installed catalogue (%2).")
            .arg(QString::fromStdU16String(app::userCatalogue().u16string()),
                 QString::fromStdU16String(
                     app::installedCatalogue(QCoreApplication::applicationDirPath().toStdU16String()).u16string())));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption catalogueOption(QStringLiteral("catalogue"), QStringLiteral("Open the catalogue in DIR."),
                                             QStringLiteral("DIR"));
    parser.addOption(catalogueOption);
    parser.process(app);

    std::optional<std::filesystem::path> given;
    if (parser.isSet(catalogueOption)) given = parser.value(catalogueOption).toStdU16String();
    const app::CatalogueLocation location =
        app::locateCatalogue(given, QCoreApplication::applicationDirPath().toStdU16String());
    const QString folder = QString::fromStdU16String(location.folder.u16string());
    if (!location.found) {
        // The window names one place; the terminal gets every place looked at.
        QStringList looked;
        for (const auto& place : location.looked) looked << QString::fromStdU16String(place.u16string());
        qWarning().noquote() << "pumpsel: no catalogue (txt/bump.dat) found; looked in:" << looked.join(u", ");
        if (!location.problem.isEmpty()) qWarning().noquote() << "pumpsel:" << location.problem;
    }

    SelectionWindow window(location.folder);
    window.show();
    qCInfo(startLog).noquote() << "catalogue" << folder << "with" << window.ListView2->rowCount() << "kinds";
    return app.exec();
}
