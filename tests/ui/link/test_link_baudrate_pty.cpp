// Baud-rate detection through the real serial stack against tavoem-sim on a pseudo-terminal
// (the simulator answers only when the client's rate is its own).
#include "core/AppState.h"
#include "core/Clock.h"
#include "core/link/QtSerialPort.h"
#include "core/settings/Defaults.h"
#include "core/settings/Ini.h"
#include "support/Pty.h"
#include "support/ScriptedPrompts.h"
#include "ui/link/DetectionPanel.h"
#include "ui/link/LinkMenu.h"

#include <QLabel>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

using namespace tav;

namespace {

const QString kRs232 = QStringLiteral("RS232");

// The Qt port, recording the rate of every opening and what waited unread at every write.
// With `stale`, each opening first leaves an answer waiting in the input.
class RecordingPort final : public SerialPort {
public:
    bool open(const QString& name, const LineSettings& settings, QString* error) override {
        const bool ok = port.open(name, settings, error);
        if (ok) rates << settings.baud;
        if (ok && stale && port.write("SNU?\r") && port.waitForInput(1000))
            QThread::msleep(50); // the whole answer is in
        return ok;
    }
    void close() override { port.close(); }
    bool isOpen() const override { return port.isOpen(); }
    bool write(const QByteArray& data) override {
        unreadAtWrites << (port.waitForInput(0) ? port.bytesAvailable() : 0);
        return port.write(data);
    }
    bool waitForInput(int msecs) override { return port.waitForInput(msecs); }
    qint64 bytesAvailable() const override { return port.bytesAvailable(); }
    QByteArray readAll() override { return port.readAll(); }
    void clearInput() override { port.clearInput(); }

    QtSerialPort port;
    QList<qint32> rates;
    QList<qint64> unreadAtWrites;
    bool stale = false;
};

struct Bench {
    QTemporaryDir dir;
    SystemClock clock;
    test::ScriptedPrompts prompts;
    RecordingPort port;
    AppState s{dir.path(), port, clock, prompts};
    test::SimProcess sim;
    QWidget main;
    DetectionPanel panel{&main};

    // Board at boardRate (answering garbage at other rates when asked), BAUD stored as
    // storedRate.
    bool start(int boardRate, const QString& storedRate, bool garbage = false) {
        EcrireParametresDefaut(dir.path());
        QStringList args{QStringLiteral("--no-noise"), QStringLiteral("--baud"),
                         QString::number(boardRate)};
        if (garbage) args << QStringLiteral("--wrong-baud") << QStringLiteral("garbage");
        if (!sim.start(args)) return false;
        EcrireIni(s.generalIni(), kRs232, QStringLiteral("PORT"), sim.devicePath());
        EcrireIni(s.generalIni(), kRs232, QStringLiteral("BAUD"), storedRate);
        // Short trials: one attempt each, 150 ms to answer.
        s.TempsTimeout = 150;
        s.NbRepetitions = 0;
        s.FluxActif = true;
        main.resize(480, 320);
        return true;
    }
    QString baud() const { return LireIni(s.generalIni(), kRs232, QStringLiteral("BAUD")); }
};

} // namespace

class TestLinkBaudRatePty : public QObject {
    Q_OBJECT
private slots:
    void detection_data() {
        QTest::addColumn<int>("board");
        QTest::addColumn<bool>("garbage");
        QTest::addColumn<bool>("stale");
        QTest::addColumn<QString>("found");
        QTest::addColumn<QList<qint32>>("rates");
        const QList<qint32> scan{9600, 19200, 4800, 9600, 19200, 38400, 115200};
        QTest::newRow("at the stored rate") << 9600 << false << true << "9600" << scan.mid(0, 1);
        QTest::newRow("garbage, then 38400") << 38400 << true << true << "38400" << scan.mid(0, 6);
        QTest::newRow("2400 never found") << 2400 << false << false << "" << scan;
    }
    void detection() {
        QFETCH(int, board);
        QFETCH(bool, garbage);
        QFETCH(bool, stale);
        QFETCH(QString, found);
        QFETCH(QList<qint32>, rates);
        Bench b;
        QVERIFY2(b.start(board, QStringLiteral("9600"), garbage), qPrintable(b.sim.errorOutput()));
        b.port.stale = stale;
        QCOMPARE(ExecuterDetectionVitesse(b.s, b.panel), found);
        QCOMPARE(b.port.rates, rates);
        if (found.isEmpty()) {
            QCOMPARE(b.prompts.messageTexts(),
                     QStringList{"Automatic Baud Rate Detection failed."});
            QCOMPARE(b.prompts.shown[0].icon, PromptIcon::Critical);
        } else {
            QCOMPARE(
                b.prompts.messageTexts(),
                QStringList{"Automatic Baud Rate Detection successed (Value : " + found + ")."});
            QCOMPARE(b.prompts.shown[0].icon, PromptIcon::Information);
        }
        QCOMPARE(b.prompts.shown[0].title, QStringLiteral("Baud Rate Detection"));
        QCOMPARE(b.baud(), found.isEmpty() ? QStringLiteral("9600") : found);
        QVERIFY(!b.port.isOpen());
        QVERIFY(b.panel.isHidden());
        // The input was emptied, quietly, before every probe.
        QCOMPARE(b.port.unreadAtWrites, QList<qint64>(rates.size(), 0));
        for (const auto& line : b.s.flow.lines(FlowLog::Answers))
            QVERIFY2(!line.text.startsWith("DISCARDED"), qPrintable(line.text));
    }
};

QTEST_MAIN(TestLinkBaudRatePty)
#include "test_link_baudrate_pty.moc"
