// The program starts with the selection window; closing it ends the program.
#include "app/catalogue_location.h"
#include "app/memory.h"
#include "app/translations.h"
#include "selection/selection_window.h"
#include "ui/fonts.h"
#include "ui/list_view.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QLoggingCategory>

// Off unless asked for (QT_LOGGING_RULES="pumpsel.start.info=true"): where
// the catalogue was found and how many kinds it lists.
Q_LOGGING_CATEGORY(startLog, "pumpsel.start", QtWarningMsg)

namespace {

QString textOf(const std::filesystem::path& path) { return QString::fromStdU16String(path.u16string()); }

class CommandLine {
public:
    CommandLine() {
        parser_.setApplicationDescription(
            QStringLiteral(
                "水泵选型 — pump selection.\n\n"
                "The catalogue folder (txt/bump.dat, the maker files, images/; the report is written there too) is\n"
                "the first of:\n"
                "1. the folder given with --catalogue;\n"
                "2. the program's own folder, when it holds txt/bump.dat;\n"
                "3. the user's catalogue folder, %1, made on first start\n"
                "as a copy of the catalogue installed with the program (share/pumpsel beside the program's bin/ "
                "folder).")
                .arg(QString::fromUtf8(pumpsel::catalogue::userCatalogueInWords())));
        parser_.addOption(catalogue_);
    }

    // True for --help and --version, which only print: they are answered by a
    // core application, so that they work without a display.
    bool onlyPrints(int argc, char** argv) {
        QStringList arguments;
        for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
        parser_.parse(arguments);
        return parser_.isSet(help_) || parser_.isSet(version_) || parser_.isSet(QStringLiteral("help-all"));
    }

    // Prints and ends the program for --help and --version, and for options it does not know.
    void process(const QCoreApplication& app) { parser_.process(app); }

    std::optional<std::filesystem::path> catalogue() const {
        if (!parser_.isSet(catalogue_)) return std::nullopt;
        return parser_.value(catalogue_).toStdU16String();
    }

private:
    QCommandLineParser parser_;
    QCommandLineOption help_ = parser_.addHelpOption();
    QCommandLineOption version_ = parser_.addVersionOption();
    QCommandLineOption catalogue_{QStringLiteral("catalogue"), QStringLiteral("Open the catalogue in DIR."),
                                  QStringLiteral("DIR")};
};

}  // namespace

int main(int argc, char** argv) {
    app::keepLargeBuffersInHeap();
    // The name is the window class on X11, which the desktop entry's
    // StartupWMClass matches, and the program in --version. The settings keep
    // the program's title, 水泵, as their application name.
    QCoreApplication::setApplicationName(QStringLiteral("pumpsel"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PUMPSEL_VERSION));
    // Docks find the desktop entry, and with it the icon, by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral(PUMPSEL_APP_ID));
    CommandLine commandLine;
    if (commandLine.onlyPrints(argc, argv)) {
        QCoreApplication printer(argc, argv);
        commandLine.process(printer);
    }

    QApplication app(argc, argv);
    app::installQtTranslations(app);
    app.setFont(ui::simSun9());
    commandLine.process(app);

    const pumpsel::catalogue::Location location =
        app::locateCatalogue(commandLine.catalogue(), QCoreApplication::applicationDirPath().toStdU16String());
    SelectionWindow window(location.folder);
    window.show();
    if (!location.found) app::reportMissingCatalogue(location, &window);
    qCInfo(startLog).noquote() << "catalogue" << textOf(location.folder) << "with" << window.ListView2->rowCount()
                               << "kinds";
    return app.exec();
}
