#pragma once

#include <QByteArray>
#include <QRandomGenerator>
#include <QSet>
#include <QString>

#include <map>

namespace tav::sim {

// The parameters the board keeps in EEPROM: serial number and numeric values in board units
// (powers in 0.1 dBm except PON in dBm, currents in mA, temperatures in degC, RP2 a ramp speed).
// The six calibration points (CI1..CS2) come with the A/D values recorded for them (AI1..AS2).
struct BoardParams {
    QByteArray serial = "TAV0001";
    std::map<QByteArray, int> values;

    static BoardParams factory();
    bool operator==(const BoardParams&) const = default;
};

// A simulated TAV OEM amplifier board: one command line in, one answer line out.
//
// Commands: "MNE?" reads, "MNE=value" writes, "MNE" alone is an action (RVP), a line starting
// with ":" is an Intel-HEX record. Answers (returned without the closing carriage return):
//   reads      "IPW=+123", "IPW=-31", "SNU=TAV0001", "STS=ON", "ALA=00000001", "ASS=2",
//              "IPW=xxx" when the value is not available;
//   writes     "SOP!" accepted, "SOP#" protected write in user mode, "SOP=ERR" out of range;
//   unknown    "ERR/UNKNOWN";
//   records    "!" when the checksum is right, "ERR" when not.
// An empty result means the board stays silent (empty line).
//
// Physics: input power and case temperature come from the simulator's controls; modes ACC (1),
// APC (2), AACC (3) and AAPC (4) drive the second-stage pump, whose current ramps at the RP2
// speed. Protections shut the emission down: loss of input power (below IPT) and case
// temperature out of TCL..TCH while they last; pump current above LCM and loss of output power
// (below OPT, or below ASO at a current of at least I2T) until the next "ASS=" command.
//
// Readings carry a little noise and the pump current ramps up after a start, as on the real
// board. Tests that compare exact values turn both off: setNoiseEnabled(false),
// setRampEnabled(false).
class BoardModel {
public:
    // Alarm bits of "ALA?" (bit 0 last in the answer).
    enum AlarmBit {
        AlarmLaserOff = 0,
        AlarmOutputLoss = 1,
        AlarmInputLoss = 2,
        AlarmCurrentBias = 3,
        AlarmCaseTemperature = 4,
        AlarmDiodeTemperature = 5,
        AlarmDisabled = 6,
        AlarmPowerSupply = 7,
    };
    // Warning bits of "WAR?"; they stay set until "WAR=0".
    enum WarningBit {
        WarningApcLow = 0,
        WarningAccLow = 1,
        WarningLowTemperature = 2,
        WarningHighTemperature = 3,
    };
    static constexpr const char* kPassword = "QUILTA";
    static constexpr int kMaxLine = 32000;

    BoardModel();

    // One command line (without its carriage return) -> answer line (without carriage return).
    QByteArray handleLine(const QByteArray& line);

    // Board time in ms; physics (current ramp) advances with it. Time never goes backwards.
    void advanceTo(qint64 ms);
    qint64 time() const { return now_; }

    // Simulator controls.
    void setInputPower(double dBm) {
        inputDbm_ = dBm;
        update();
    }
    double inputPower() const { return inputDbm_; }
    void setCaseTemperature(double degC) {
        caseTemp_ = degC;
        update();
    }
    double caseTemperature() const { return caseTemp_; }
    void setSupplyVoltage(double volts) {
        supply_ = volts;
        update();
    }
    // External set point of AACC/AAPC, 0..1 of IM2 (current) or of PON (power).
    void setExternalSetPoint(double fraction);
    void setNoiseEnabled(bool on) { noise_ = on; }
    void setRampEnabled(bool on) {
        ramp_ = on;
        update();
    }
    void setSeed(quint32 seed) { rng_.seed(seed); }
    // A mnemonic whose reads answer "xxx".
    void setUnavailable(const QByteArray& mnemonic, bool unavailable = true);
    // Version reported after a successful download (default: the last number raised by one).
    void setNextVersion(const QString& version) { nextVersion_ = version.toLatin1(); }

    // Inspection (noise-free).
    int mode() const { return mode_; }
    bool emitting() const { return emitting_; }
    bool adminMode() const { return admin_; }
    bool downloadMode() const { return download_; }
    QString version() const { return QString::fromLatin1(version_); }
    void setVersion(const QString& v) { version_ = v.toLatin1(); }
    quint8 alarms() const;
    quint8 warnings() const { return warnings_; }
    double outputPower() const { return outputDbm_; } // dBm, Phs1
    double pumpCurrent() const { return pumpMa_; }    // mA, diode 2
    double diodeTemperature() const;                  // degC
    int adValue(const QByteArray& mnemonic) const;    // ADI, ADO, ADS without noise

    // Working parameters (what reads answer). setParam bypasses all checks.
    int param(const QByteArray& mnemonic) const;
    void setParam(const QByteArray& mnemonic, int value);
    QString serialNumber() const { return QString::fromLatin1(work_.serial); }
    // Serial number of this board, working and saved (a rack of simulated boards).
    void setSerialNumber(const QString& sn) { work_.serial = saved_.serial = sn.toLatin1(); }
    const BoardParams& working() const { return work_; }
    const BoardParams& saved() const { return saved_; }

    // Power cycle: working parameters from EEPROM, emission off, user mode, warnings cleared.
    void restart();
    // EEPROM image ("KEY=value" lines, with the firmware version) for a state file.
    QByteArray eepromImage() const;
    bool loadEepromImage(const QByteArray& image);
    int eepromWrites() const { return eepromWrites_; }

private:
    QByteArray read(const QByteArray& mne);
    QByteArray write(const QByteArray& mne, const QByteArray& value);
    QByteArray action(const QByteArray& mne);
    QByteArray hexRecord(const QByteArray& line);
    QByteArray writeParam(const QByteArray& mne, const QByteArray& value);
    bool inRange(const QByteArray& mne, int v) const;
    void update();
    double targetPowerDbm() const;
    double targetCurrent() const;
    double currentForPower(double dBm) const;
    double outputForCurrent(double mA) const;
    double noisy(double v, double amplitude);
    int measuredAd(int channel, double dBm);
    QByteArray calibratedPower(int channel, double dBm);
    QByteArray bumpedVersion() const;

    BoardParams work_;
    BoardParams saved_;
    QByteArray version_ = "V1.20";
    QByteArray nextVersion_;
    int eepromWrites_ = 0;

    qint64 now_ = 0;
    double inputDbm_ = -3.0;
    double caseTemp_ = 25.0;
    double supply_ = 5.0;
    double external_ = 0.5;
    bool noise_ = true;
    bool ramp_ = true;
    QRandomGenerator rng_{20260612u};
    QSet<QByteArray> unavailable_;

    int mode_ = 0;
    bool admin_ = false;
    bool emitting_ = false;
    bool inputLost_ = false;
    bool caseOut_ = false;
    quint8 latched_ = 0; // alarm bits that keep the emission off until the next "ASS="
    quint8 warnings_ = 0;
    double pumpMa_ = 0.0;
    double outputDbm_ = -99.0;
    bool rampDone_ = true;

    bool download_ = false;
    int records_ = 0;
    int badRecords_ = 0;
    bool imageEnded_ = false; // the end-of-file record came
    bool imageVerified_ = false;
};

} // namespace tav::sim
