#pragma once

#include "core/link/FlowLog.h"
#include "core/link/LineBook.h"

#include <QString>
#include <functional>
#include <optional>

namespace tav {

class Clock;
class Poll;
class Prompts;
class SerialPort;

// The program-wide state: settings loaded at start-up, the shared flags and the services
// every window uses. Created once at program start and handed to windows by reference.
struct AppState {
    AppState(QString programDir, SerialPort& port, Clock& clock, Prompts& prompts);

    // Program directory and the three settings files in it.
    QString programDir;
    QString generalIni() const { return filePath(QStringLiteral("General.ini")); }
    QString langueIni() const { return filePath(QStringLiteral("langue.ini")); }
    QString fichIni() const { return filePath(QStringLiteral("fich.ini")); }
    QString filePath(const QString& name) const;

    // Services.
    SerialPort& PortOEM;
    Clock& clock;
    Prompts& prompts;
    FlowLog flow; // lists of the serial-flow window
    LineBook lineBook; // the exchange's lines sent, owed and carried on PortOEM
    // Called for every answer that came later than TempsTimeout after its line (ms late).
    std::function<void(qint64 lateMs)> lateAnswer;
    Poll* Timer = nullptr; // the main window's poll timer, set by the main window
    // Lets pending window messages run; the UI sets QCoreApplication::processEvents.
    std::function<void()> processEvents;
    // Serves the display during an exchange's waits (see core/link/Wait.h); set by the program
    // with windows, empty elsewhere.
    std::function<void()> serveDisplay;
    bool serving = false;  // inside serveDisplay
    qint64 servedAt = 0;   // clock time of the last serve

    // Interface language suffix ("En", "Fr").
    QString LangueCourante = QStringLiteral("En");

    // Communication settings.
    qint16 TempsTimeout = 200;
    qint32 TempsRafraichissement = 50;
    qint16 NbRepetitions = 3;
    // Port and rate for this run only (command-line overrides), honoured by every port opening
    // instead of the stored RS232 PORT and BAUD; empty / 0: the stored settings. Never saved.
    QString portOverride;
    qint32 baudOverride = 0;

    // How lines go out (by character and its gap, or whole with the half pauses), read once
    // and kept by holdLineSending(); empty: read from the settings at every command.
    struct LineSending {
        bool byCharacter = false;
        int gapMs = 0;
        int halfMs = 0;
    };
    std::optional<LineSending> heldSending;

    // Exchange flags.
    bool FluxActif = false;
    bool ReponseBrute = false;
    bool PauseLongue = false;
    // Answers holding bytes outside 0x20-0x7E: discarded by the exchange (the default), shown
    // with those bytes escaped as <0x8F> (the manual-command window), or kept as received (the
    // baud scan, which judges them itself).
    enum class Unprintable { Discard, Escape, Keep };
    Unprintable unprintableAnswers = Unprintable::Discard;

    // Poll.
    static constexpr qint16 kNoWindow = -999;
    qint16 FenetreActive = kNoWindow;
    bool RafraichissementDemande = false;

    // Last port-opening failure reported (port and error), empty once the port opens.
    QString portFailureShown;
    // Operator actions (a click or a key) counted by the interface: a port failure is reported
    // once per action, not once per exchange of it.
    quint64 actionOperateur = 0;
    quint64 actionSignalee = ~quint64(0);
    // Called just before a port-opening failure is shown (a window's link lamp turns red first).
    std::function<void()> avantEchecPort;

    bool MotDePasseValide = false;
    qint16 ModeAsservissement = 0;

    // Calibration references (999 / -999: not entered).
    double ReferenceMin = 999;
    double ReferenceMax = -999;
    int TypeEtalonnage = 0;

    // Measurement log.
    qint32 LigneMesure = 0;
    qint32 CompteurEnregistrement = 0;
    QString NomJournal;
};

} // namespace tav
