// tavoem: supervises an OEM fibre amplifier board over one serial line.
#include "core/AppState.h"
#include "core/Clock.h"
#include "core/Version.h"
#include "core/io/RuntimeDir.h"
#include "core/link/QtSerialPort.h"
#include "core/settings/ProgramDir.h"
#include "core/settings/SettingsCheck.h"
#include "ui/main/FrmPrincipale.h"
#include "ui/support/DisplayServer.h"
#include "ui/support/OperatorActions.h"
#include "ui/support/WidgetPrompts.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

namespace {

struct Options {
    QCommandLineParser parser;
    QCommandLineOption dir{QStringLiteral("program-dir"),
                           QStringLiteral("Folder holding the settings files, logs and records."),
                           QStringLiteral("dir")};
    QCommandLineOption port{
        QStringLiteral("port"),
        QStringLiteral("Serial port to store in the settings (COMn or a device path)."),
        QStringLiteral("port")};
    QCommandLineOption quit{
        QStringLiteral("quit-after"),
        QStringLiteral("Close the main window after this many ms (smoke tests)."),
        QStringLiteral("ms")};
    QCommandLineOption download{
        QStringLiteral("download"),
        QStringLiteral("Open the download window of the installation's variant (Intel-HEX "
                       "software for the board) once the main window is up.")};
    QCommandLineOption factory{QStringLiteral("factory"),
                               QStringLiteral("Start in the internal (factory) variant: writes the "
                                              "factory marker into the program folder.")};

    Options() {
        parser.setApplicationDescription(QStringLiteral("TAV OEM amplifier supervision"));
        parser.addHelpOption();
        parser.addVersionOption();
        parser.addOptions({dir, port, quit, factory, download});
    }
};

void nameApplication() {
    QCoreApplication::setApplicationName(QStringLiteral("tavoem"));
    QCoreApplication::setOrganizationName(QStringLiteral("TAV"));
    QCoreApplication::setApplicationVersion(tav::versionText());
}

// --help, --version and option errors are answered without a window system, so they work
// on a console, over ssh and in package checks.
void answerWithoutDisplay(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    nameApplication();
    Options options;
    options.parser.process(app); // exits on --help, --version and unknown options
#ifdef Q_OS_LINUX
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        std::fprintf(stderr, "tavoem needs a display: start it in a desktop session, or under a "
                             "virtual display with \"xvfb-run -a tavoem\" (or \"xvfb-run -a "
                             "scripts/demo\").\n");
        std::exit(1);
    }
#endif
}

} // namespace

int main(int argc, char** argv) {
    answerWithoutDisplay(argc, argv);
    tav::namePrivateRuntimeDir();
    QApplication app(argc, argv);
    nameApplication();

    // Options serve the demo and tests only; without them the program behaves as installed.
    Options options;
    options.parser.process(app);
    const QCommandLineParser& parsed = options.parser;

    tav::SystemClock clock;
    tav::WidgetPrompts prompts;
    tav::QtSerialPort port;
    tav::AppState state(tav::programDirectory(parsed.value(options.dir)), port, clock, prompts);

    const QString damaged = tav::applyStartOptions(
        state.programDir, parsed.isSet(options.factory),
        parsed.isSet(options.port) ? std::optional(parsed.value(options.port)) : std::nullopt);
    tav::suivreActionsOperateur(app, state);
    tav::DisplayServer display(app, state); // the windows paint while an exchange waits
    tav::FrmPrincipale window(state);
    prompts.setParent(&window);
    window.Form_Load(damaged);
    window.show();
    // The menu entry of the download stays hidden; this option is the way in.
    if (parsed.isSet(options.download))
        QTimer::singleShot(0, &window, [&window] { window.MenuLoadHexFile_Click(); });
    if (parsed.isSet(options.quit))
        QTimer::singleShot(parsed.value(options.quit).toInt(), &window, &QWidget::close);
    return app.exec();
}
