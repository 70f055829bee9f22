// Baud-rate detection through the real serial stack against tavoem-sim on a pseudo-terminal
// (the simulator answers only when the client's rate is its own).
#include "core/AppState.h"
#include "core/Clock.h"
#include "core/link/QtSerialPort.h"
#include "core/settings/Defaults.h"
#include "core/settings/Ini.h"
#include "support/Pty.h"
#include "support/ScriptedPrompts.h"
#include "ui/link/LinkMenu.h"

#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>

using namespace tav;

namespace {

const QString kRs232 = QStringLiteral("RS232");

// The Qt port, recording the rate of every opening.
class RecordingPort final : public SerialPort {
public:
    bool open(const QString& name, const LineSettings& settings, QString* error) override {
        const bool ok = port.open(name, settings, error);
        if (ok)
            rates << settings.baud;
        return ok;
    }
    void close() override { port.close(); }
    bool isOpen() const override { return port.isOpen(); }
    bool write(const QByteArray& data) override { return port.write(data); }
    bool waitForInput(int msecs) override { return port.waitForInput(msecs); }
    qint64 bytesAvailable() const override { return port.bytesAvailable(); }
    QByteArray readAll() override { return port.readAll(); }
    void clearInput() override { port.clearInput(); }

    QtSerialPort port;
    QList<qint32> rates;
};

struct Bench {
    QTemporaryDir dir;
    SystemClock clock;
    test::ScriptedPrompts prompts;
    RecordingPort port;
    AppState s{dir.path(), port, clock, prompts};
    test::SimProcess sim;
    QWidget main;
    QLabel label{QStringLiteral("Scan for "), &main};

    // Board at boardRate, BAUD stored as storedRate.
    bool start(int boardRate, const QString& storedRate) {
        EcrireParametresDefaut(dir.path());
        if (!sim.start({QStringLiteral("--no-noise"), QStringLiteral("--baud"),
                        QString::number(boardRate)}))
            return false;
        EcrireIni(s.generalIni(), kRs232, QStringLiteral("PORT"), sim.devicePath());
        EcrireIni(s.generalIni(), kRs232, QStringLiteral("BAUD"), storedRate);
        // Short trials: one attempt each, 150 ms to answer.
        s.TempsTimeout = 150;
        s.NbRepetitions = 0;
        main.resize(480, 320);
        label.hide();
        return true;
    }
    QString baud() const { return LireIni(s.generalIni(), kRs232, QStringLiteral("BAUD")); }
};

} // namespace

class TestLinkBaudRatePty : public QObject {
    Q_OBJECT
private slots:
    void boardAtTheStoredRate() {
        Bench b;
        QVERIFY2(b.start(9600, QStringLiteral("9600")), qPrintable(b.sim.errorOutput()));
        QCOMPARE(ExecuterDetectionVitesse(b.s, b.label, b.main), QStringLiteral("9600"));
        QCOMPARE(b.port.rates, QList<qint32>{9600}); // no scan
        QCOMPARE(b.prompts.messageTexts(),
                 QStringList{"Automatic Baud Rate Detection successed (Value : 9600)."});
        QCOMPARE(b.prompts.shown[0].title, QStringLiteral("Baud Rate Detection"));
        QCOMPARE(b.baud(), QStringLiteral("9600"));
        QVERIFY(!b.port.isOpen());
    }

    void boardAt38400FoundByTheScan() {
        Bench b;
        QVERIFY2(b.start(38400, QStringLiteral("9600")), qPrintable(b.sim.errorOutput()));
        QCOMPARE(ExecuterDetectionVitesse(b.s, b.label, b.main), QStringLiteral("38400"));
        QCOMPARE(b.port.rates, (QList<qint32>{9600, 19200, 4800, 9600, 19200, 38400}));
        QCOMPARE(b.prompts.messageTexts(),
                 QStringList{"Automatic Baud Rate Detection successed (Value : 38400)."});
        QCOMPARE(b.prompts.shown[0].icon, PromptIcon::Information);
        QCOMPARE(b.baud(), QStringLiteral("38400"));
        QVERIFY(!b.port.isOpen());
        QVERIFY(b.label.isHidden());
    }

    void boardAt2400NeverFound() {
        Bench b;
        QVERIFY2(b.start(2400, QStringLiteral("9600")), qPrintable(b.sim.errorOutput()));
        QCOMPARE(ExecuterDetectionVitesse(b.s, b.label, b.main), QString());
        QCOMPARE(b.port.rates, (QList<qint32>{9600, 19200, 4800, 9600, 19200, 38400, 115200}));
        QCOMPARE(b.prompts.messageTexts(), QStringList{"Automatic Baud Rate Detection failed."});
        QCOMPARE(b.prompts.shown[0].icon, PromptIcon::Critical);
        QCOMPARE(b.baud(), QStringLiteral("9600")); // restored
        QVERIFY(!b.port.isOpen());
    }

    void missingDeviceGivesOneMessage() {
        Bench b;
        QVERIFY2(b.start(19200, QStringLiteral("19200")), qPrintable(b.sim.errorOutput()));
        const QString path = b.sim.devicePath();
        QCOMPARE(b.sim.command(QStringLiteral("unplug")), QStringLiteral("unplugged"));
        QCOMPARE(ExecuterDetectionVitesse(b.s, b.label, b.main), QString());
        QCOMPARE(b.prompts.shown.size(), 1);
        QVERIFY(b.prompts.shown[0].text.startsWith(
            QStringLiteral("Automatic Baud Rate Detection failed.")));
        QVERIFY2(b.prompts.shown[0].text.contains(path), qPrintable(b.prompts.shown[0].text));
        QCOMPARE(b.baud(), QStringLiteral("19200"));
    }
};

QTEST_MAIN(TestLinkBaudRatePty)
#include "test_link_baudrate_pty.moc"
