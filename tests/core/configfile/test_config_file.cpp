#include "core/configfile/ConfigFile.h"
#include "core/configfile/ConfigItems.h"
#include "core/io/FileReplace.h"
#include "core/text/Scramble.h"
#include "support/BoardRig.h"
#include "support/Child.h"
#include "support/Columns.h"

#include <QFile>
#include <QTest>

using namespace tav;
using namespace tav::test;

namespace {

const QString kTitle = QStringLiteral("TAV OEM");

// The lines as "Crypt File" writes them: scrambled, each ended with CR LF.
QByteArray scrambled(const QByteArrayList& lines) {
    QByteArray out;
    for (const QByteArray& l : lines)
        out += BrouillerTexte(l) + "\r\n";
    return out;
}

} // namespace

class TestConfigFile : public QObject {
    Q_OBJECT
private slots:
    void cryptThenDecrypt() {
        BoardRig r;
        // Items end at commas and line ends; blanks around them and enclosing quotes go, blanks
        // inside stay.
        replaceFile(r.dir.filePath("plain.txt"),
                    "IPT=-100 \t,OPM=150\r\n \"SOP=1\" , SNU=A B\t\r");
        QVERIFY(CrypterFichier(r.s, r.dir.filePath("plain.txt"), kTitle));
        QCOMPARE(fileBytes(r.s.filePath("cfg_vtl.txt")),
                 scrambled({"IPT=-100", "OPM=150", "SOP=1", "SNU=A B"}));
        QVERIFY(DecrypterFichier(r.s, kTitle));
        const QByteArray plain = "IPT=-100\r\nOPM=150\r\nSOP=1\r\nSNU=A B\r\n";
        QCOMPARE(fileBytes(r.s.filePath("Decrypt_cfg_vtl.txt")), plain);
        QCOMPARE(r.prompts.messageTexts(),
                 QStringList({"Crypt File OK.", "DeCrypt File OK.\r\n\r\n" + plain}));
        QFile::remove(r.s.filePath("cfg_vtl.txt"));
        QVERIFY(!DecrypterFichier(r.s, kTitle));
        QCOMPARE(r.prompts.messageTexts().last(), QString("No file to decrypt."));
    }

    // A refused plain file leaves the old cfg_vtl.txt as it was.
    void cryptRefusals_data() {
        columns<QByteArray, QString>({"content", "message"}); // no content: the folder is chosen
        QTest::newRow("accent") << QByteArray("SOP=1\r\nSNU=\xC4\x31")
                                << "\"SNU=\xC3\x84\x31\" (line 2)";
        QTest::newRow("binary") << QByteArray("A\0B", 3) << "character code 0";
        QTest::newRow("huge") << QByteArray(kMaxConfigFileBytes + 1, 'A') << "too large";
        QTest::newRow("folder") << QByteArray() << "is a folder";
        QTest::newRow("full disk") << QByteArray("SOP=1\r\n").repeated(4096)
                                   << "(File too large). Free some space on the disk of";
    }
    void cryptRefusals() {
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        BoardRig r;
        replaceFile(r.s.filePath("cfg_vtl.txt"), "old");
        const QString path = content.isEmpty() ? r.dir.path() : r.dir.filePath("p.txt");
        replaceFile(path, content);
        // Files cannot grow past 16 KiB (binding root too): a full disk for the large file.
        QCOMPARE(inChild([] { limitFileSize(16384); }, [&] {
                     return !CrypterFichier(r.s, path, kTitle) &&
                            r.prompts.messageTexts().last().contains(message) &&
                            r.prompts.shown.last().icon == PromptIcon::Critical &&
                            fileBytes(r.s.filePath("cfg_vtl.txt")) == "old";
                 }), 1);
    }

    void load_data() {
        columns<QByteArray, int>({"file", "answered"}); // answered: lines before silence
        test::columns<QStringList, QString>({"sent", "message"});
        const QString ok = "Load Configuration File successfull.";
        QTest::newRow("acknowledged")
            << scrambled({"SOP=150", "OPM=150"}) << -1 << QStringList{"SOP=150", "OPM=150"} << ok;
        QTest::newRow("second refused")
            << scrambled({"SOP=150", "SNU=AB", "OPM=150"}) << -1
            << QStringList{"SOP=150", "SNU=AB", "RVP"}
            << "Load Configuration File Failed, initial factory parameters recalled. (SNU# failed)"
               "\r\nThe board refused \"SNU=AB\" (line 2 of the file)";
        QTest::newRow("board goes silent")
            << scrambled({"SOP=150", "OPM=150"}) << 1 << QStringList{"SOP=150", "OPM=150", "RVP"}
            << "Load Configuration File Failed. ( failed)\r\n\r\nThe board did not confirm";
        QTest::newRow("blanks around the items")
            << " \t" + scrambled({"SOP=150"}).replace("\r", " \t\r") << -1
            << QStringList{"SOP=150"} << ok;
        QTest::newRow("empty lines") << QByteArray("\r\n\r\n") << -1 << QStringList()
                                     << ok + "\r\nThe file held no command: nothing was sent";
        QTest::newRow("plain file") << QByteArray("SOP=150\r\n") << -1 << QStringList()
                                    << "is not a scrambled configuration file: line 1";
    }
    void load() {
        QFETCH(int, answered);
        QFETCH(QStringList, sent);
        QFETCH(QString, message);
        BoardRig r;
        r.s.NbRepetitions = 0;
        r.port.responder = [answered, n = 0](const QByteArray&) mutable {
            return answered < 0 || n++ < answered ? std::nullopt : std::optional(QByteArray());
        };
        replaceFile(r.dir.filePath("cfg.txt"), test::fetch<QByteArray>("file"));
        const qint64 start = r.clock.now();
        ChargerFichierConfiguration(r.s, r.dir.filePath("cfg.txt"), kTitle);
        QCOMPARE(r.sent(), sent);
        QVERIFY2(r.prompts.messageTexts().last().contains(message), qPrintable(message));
        // The long pause (500 ms by default) around every command, and only during the load.
        QVERIFY(r.clock.now() - start >= 500 * sent.size());
        QVERIFY(!r.s.PauseLongue);
    }
};

QTEST_GUILESS_MAIN(TestConfigFile)
#include "test_config_file.moc"
