// pumpsel --help and --version print and exit without a display: help2man
// runs them while the package is built, and a terminal may have none.
#include <gtest/gtest.h>
#include <QProcess>

namespace {

struct ProgramRun {
    QProcess::ExitStatus status = QProcess::CrashExit;
    int exitCode = -1;
    QString out, err;
};

ProgramRun runWithoutDisplay(const QString& argument) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) environment.remove(name);
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(PUMPSEL_PROGRAM), {argument});
    process.waitForFinished(30000);
    return {process.exitStatus(), process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

}  // namespace

TEST(CommandLine, HelpAndVersionPrintWithoutADisplay) {
    const ProgramRun version = runWithoutDisplay(QStringLiteral("--version"));
    EXPECT_EQ(version.status, QProcess::NormalExit) << version.err.toStdString();
    EXPECT_EQ(version.exitCode, 0) << version.err.toStdString();
    EXPECT_EQ(version.out.toStdString(), "pumpsel " PUMPSEL_VERSION "\n");

    const ProgramRun help = runWithoutDisplay(QStringLiteral("--help"));
    EXPECT_EQ(help.status, QProcess::NormalExit) << help.err.toStdString();
    EXPECT_EQ(help.exitCode, 0) << help.err.toStdString();
    EXPECT_TRUE(help.out.startsWith(QStringLiteral("Usage: "))) << help.out.toStdString();
    for (const char* part : {"--catalogue <DIR>", "the program's own folder, when it holds txt/bump.dat",
                             "$XDG_DATA_HOME/pumpsel, by default ~/.local/share/pumpsel"})
        EXPECT_TRUE(help.out.contains(QString::fromUtf8(part))) << part << "\n" << help.out.toStdString();
}
