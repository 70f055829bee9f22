// tavoem: supervises an OEM fibre amplifier board over one serial line.
#include "core/AppState.h"
#include "core/Clock.h"
#include "core/link/QtSerialPort.h"
#include "core/settings/Defaults.h"
#include "core/settings/Ini.h"
#include "core/settings/ProgramDir.h"
#include "ui/main/FrmPrincipale.h"
#include "ui/support/WidgetPrompts.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <QTimer>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tavoem"));
    QApplication::setOrganizationName(QStringLiteral("TAV"));
    QApplication::setApplicationVersion(
        QStringLiteral("%1.%2.%3").arg(TAV_VERSION_MAJOR).arg(TAV_VERSION_MINOR).arg(TAV_VERSION_PATCH));

    // Options serve the demo and tests only; without them the program behaves as installed.
    QCommandLineParser options;
    options.setApplicationDescription(QStringLiteral("TAV OEM amplifier supervision"));
    options.addHelpOption();
    options.addVersionOption();
    const QCommandLineOption dirOption(
        QStringLiteral("program-dir"),
        QStringLiteral("Folder holding the settings files, logs and records."),
        QStringLiteral("dir"));
    const QCommandLineOption portOption(
        QStringLiteral("port"), QStringLiteral("Serial port to store in the settings (COMn or a device path)."),
        QStringLiteral("port"));
    const QCommandLineOption quitOption(
        QStringLiteral("quit-after"),
        QStringLiteral("Close the main window after this many ms (smoke tests)."),
        QStringLiteral("ms"));
    options.addOptions({dirOption, portOption, quitOption});
    options.process(app);

    tav::SystemClock clock;
    tav::WidgetPrompts prompts;
    tav::QtSerialPort port;
    tav::AppState state(tav::programDirectory(options.value(dirOption)), port, clock, prompts);

    // The port is stored before the start-up opens any window that talks to the board.
    if (options.isSet(portOption)) {
        if (!QFile::exists(state.generalIni()))
            tav::EcrireParametresDefaut(state.programDir);
        tav::EcrireIni(state.generalIni(), QStringLiteral("RS232"), QStringLiteral("PORT"),
                       options.value(portOption));
    }
    tav::FrmPrincipale window(state);
    prompts.setParent(&window);
    window.Form_Load();
    window.show();
    if (options.isSet(quitOption))
        QTimer::singleShot(options.value(quitOption).toInt(), &window, &QWidget::close);
    return app.exec();
}
