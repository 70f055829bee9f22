#include "core/download/Download.h"
#include "core/settings/Variant.h"
#include "support/BoardRig.h"
#include "support/Columns.h"
#include "support/Modal.h"
#include "ui/download/FrmTelechargement.h"
#include "ui/download/FrmTelechargementClient.h"
#include "ui/support/Slider.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

using namespace tav;

namespace {

// Six data records and the end-of-file record.
const QStringList kImage{":0400000000010203F6", ":0400040004050607E2", ":0400080008090A0BCE",
                         ":04000C000C0D0E0FBA", ":0400100010111213A6", ":040014001415161792",
                         ":00000001FF"};
const QString kBadChecksum = QStringLiteral(":0400040004050607E3");

struct Rig : test::BoardRig {
    // Writes the lines (CR LF) and chooses the file through the window's open entry.
    void choose(QAction* open, const QStringList& lines) {
        const QString path = dir.filePath("image.hex");
        QVERIFY(test::writeBytes(path, (lines.join("\r\n") + "\r\n").toLatin1()));
        prompts.fileAnswers << path;
        open->trigger();
    }
    QString lastMessage() const { return prompts.messageTexts().join(u'\v').section(u'\v', -1); }
};

} // namespace

class TestDownloadWindows : public QObject {
    Q_OBJECT
private slots:
    void factoryDownload_data() {
        // unplugAt: the adapter goes away as this line arrives
        test::columns<QStringList, bool, QList<bool>, QString, int, int, int>(
            {"file", "acknowledge", "sendAnyway", "message", "toLoad", "fromBoard", "unplugAt"});
        const QStringList three{kImage[0], kImage[1], kImage.last()};
        const QStringList bad{kImage[0], kBadChecksum, kImage.last()};
        QTest::newRow("three acknowledged")
            << three << true << QList<bool>{} << "Load hex file SUCCESSED. (3Lines loaded)" << 3
            << 3 << 0;
        QTest::newRow("line 2 refused")
            << bad << true << QList<bool>{true}
            << "Load hex file FAILED. (Line 2)\nThe board refused line 2 with \"ERR\". Then run"
            << 2 << 1 << 0;
        QTest::newRow("link lost") << three << false << QList<bool>{}
                                   << "Load hex file FAILED. (Line 2)\nThe serial port went away"
                                   << 2 << 0 << 2;
    }
    void factoryDownload() {
        QFETCH(QStringList, file);
        QFETCH(int, toLoad);
        Rig f;
        FrmTelechargement w(f.s);
        f.choose(w.MenuOpen, file);
        QCOMPARE(w.grplabel[2]->text(), f.dir.filePath("image.hex"));
        w.CheckAcknowledge->setChecked(test::fetch<bool>("acknowledge"));
        w.TxtSleep->setText("7");
        f.prompts.yesNoAnswers = test::fetch<QList<bool>>("sendAnyway");
        f.clock.sleeps.clear();
        const int unplugAt = test::fetch<int>("unplugAt");
        f.port.responder = [&](const QByteArray&) -> std::optional<QByteArray> {
            if (f.port.receivedLines().size() == unplugAt) f.port.unplug();
            return std::nullopt;
        };
        w.BoutonStart->click();
        QVERIFY(f.lastMessage().startsWith(test::fetch<QString>("message")));
        QCOMPARE(w.ListToLoad->count(), toLoad);
        QTEST(w.ListFromBoard->count(), "fromBoard");
        QCOMPARE(f.sent(), file.mid(0, toLoad));
        QCOMPARE(f.clock.sleeps.count(7), toLoad - f.lastMessage().contains("FAILED"));
        QVERIFY(w.BoutonStart->isEnabled());
    }

    void clientDownload_data() {
        // records: image lines sent after "UPL=1"; only the whole image changes the version
        test::columns<QString, int, QStringList, QStringList>(
            {"fault", "records", "closing", "messages"});
        const QStringList both{"UPL=2", "UPL=3"};
        QTest::newRow("whole image")
            << "" << 7 << both << QStringList{"In-Application Download  SUCCESSED. (7Lines loaded)"};
        QTest::newRow("cancel after line 5")
            << "cancel 5" << 5 << QStringList{}
            << QStringList{"In-Application Download stopped by customer."};
        QTest::newRow("line 4 unanswered")
            << "silent 4" << 4 << QStringList{"UPL=2"}
            << QStringList{"Load hex file FAILED. (Line 4)\nThe board did not answer line 4",
                           "In-Application Download  FAILED. (UPL=2)\nThe board refused UPL=2"};
        QTest::newRow("line 4 unanswered, UPL=2 taken")
            << "silent 4 upl2" << 4 << both
            << QStringList{"Load hex file FAILED. (Line 4)", "In-Application Download . (UPL=3)"};
        QTest::newRow("UPL=1 refused") << "upl1" << 0 << QStringList{}
                                       << QStringList{"In-Application Download . (UPL=1)\nThe "
                                                      "board refused UPL=1 with \"ERR\". Then"};
    }
    void clientDownload() {
        QFETCH(QString, fault);
        Rig f;
        EcrireIni(f.s.generalIni(), "LOAD_HEX_FILE", "TxtSleep", "9"); // the pause after a line
        FrmTelechargementClient w(f.s);
        f.choose(w.open, kImage);
        QCOMPARE(LireIni(f.s.generalIni(), "LOAD_HEX_FILE", "Name"), f.dir.filePath("image.hex"));
        bool unlocked = false;
        f.port.responder = [&](const QByteArray& line) -> std::optional<QByteArray> {
            unlocked = unlocked || w.BoutonStart->isEnabled() || !w.BoutonCancel->isEnabled();
            if (fault.contains("upl1") && line == "UPL=1") return QByteArray("UPL=ERR");
            if (fault.contains("upl2") && line == "UPL=2") return QByteArray("UPL!");
            if (fault.startsWith("silent") && line == kImage[3].toLatin1()) return QByteArray();
            if (fault.startsWith("cancel") && line == kImage[4].toLatin1()) w.BoutonCancel->click();
            return std::nullopt;
        };
        w.BoutonStart->click();
        QStringList lines = f.sent(); // without a silent line's repeats
        lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
        QFETCH(int, records);
        QCOMPARE(lines, QStringList{"UPL=1"} + kImage.mid(0, records) +
                            test::fetch<QStringList>("closing"));
        // The texts as given, each failure with its cause and what to do on a second line.
        const QStringList want = test::fetch<QStringList>("messages");
        qsizetype n = 0;
        for (const auto& m : f.prompts.shown)
            if (m.kind == "message")
                QVERIFY2(n < want.size() && m.text.startsWith(want[n++]) &&
                             m.text.contains("run the download again") ==
                                 (m.icon == PromptIcon::Critical),
                         qPrintable(m.text));
        QCOMPARE(n, want.size());
        QCOMPARE(f.clock.sleeps.count(9), records - fault.startsWith("silent")); // acknowledged
        QCOMPARE(f.board.version(), records == 7 ? "V1.21" : "V1.20");
        QVERIFY(!unlocked);
        QVERIFY(w.Gauge->value() == 0 && w.Gauge->maximum() == 7 && w.grplabel[1]->text().isEmpty());
        QVERIFY(w.BoutonStart->isEnabled() && !w.BoutonCancel->isEnabled());
    }

    void portFailureMessages() {
        for (const bool factory : {true, false}) {
            Rig f;
            f.port.setOpenError("No such device");
            const std::unique_ptr<QDialog> w(factory ? static_cast<QDialog*>(new FrmTelechargement(f.s))
                                                     : new FrmTelechargementClient(f.s));
            QCOMPARE(f.lastMessage(), factory ? "Initialisation du port de communication impossible."
                                              : "Serial Link initialization failed.");
        }
    }

    void entryOpensTheVariantsWindow() {
        for (const bool factory : {true, false}) {
            Rig f;
            f.prompts.messagesAreUnexpected = true;
            if (factory) QVERIFY(EcrireMarqueurUsine(f.s.programDir));
            EcrireIni(f.s.generalIni(), "LOAD_HEX_FILE", "Name", "/x/image.hex");
            QString opened;
            test::inNextModal([&](QWidget* w) {
                opened = w->objectName();
                // Start without a file does nothing; the customer window keeps the stored one.
                if (factory)
                    w->findChild<QPushButton*>("BoutonStart")->click();
                else
                    QCOMPARE(w->findChild<QLabel*>("grplabel_1")->text(), "/x/image.hex");
                static_cast<QDialog*>(w)->reject();
            });
            executerTelechargement(f.s, nullptr);
            QCOMPARE(opened, factory ? "FrmTelechargement" : "FrmTelechargementClient");
            QVERIFY(f.port.isOpen() && f.sent().isEmpty());
        }
    }
};

QTEST_MAIN(TestDownloadWindows)
#include "test_download_windows.moc"
