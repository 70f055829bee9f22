#include "core/settings/Ini.h"
#include "support/BoardRig.h"
#include "support/Child.h"
#include "ui/Columns.h"
#include "ui/main/ProgramRig.h"
#include "ui/support/SettingsReport.h"

#include <QDir>

using namespace tav;
using namespace tav::test;

class TestSettingsReport : public QObject {
    Q_OBJECT
private slots:
    // Once per kind of failure and run, after the writing handler has returned; failures from
    // before the window (the --port option) are told too.
    void failedWritesToldOncePerKind() {
        ProgramRig p;
        p.put("file", "x");
        const QString inFile = p.s.filePath("file/General.ini");
        EcrireIni(inFile, "RS232", "PORT", "COM3");
        {
            SettingsFailureReport report(p.prompts, "TAV", nullptr);
            EcrireIni(inFile, "RS232", "BAUD", "9600");
            EcrireIni(p.s.filePath("file/langue.ini"), "S", "k", "v");
            QVERIFY(p.prompts.shown.isEmpty());
            QCoreApplication::processEvents();
            QCOMPARE(p.prompts.shown.size(), 1);
            EcrireIni(p.dir.path(), "S", "k", "v"); // a folder where the file should be
            QCoreApplication::processEvents();
            QCOMPARE(p.prompts.shown.size(), 2);
        }
        const QString folder = QDir::toNativeSeparators(p.s.filePath("file"));
        const QString text = p.prompts.shown[0].text;
        QVERIFY(text.startsWith("The settings could not be saved in " + folder + ": "));
        QVERIFY(text.endsWith(". Free some space or choose another folder."));
        QVERIFY(p.prompts.shown[1].text != text);
    }

    // A first start on a full disk (a file-size limit, binding root too) writes nothing, leaves
    // no short file and tells the operator once; the built-in settings are used.
    void firstStartOnFullDisk() {
        ProgramRig p;
        const int told = inChild([] { limitFileSize(2000); },
                                 [&] {
                                     p.start();
                                     const QStringList texts = p.prompts.messageTexts();
                                     return texts.size() == 1 &&
                                                    texts[0].contains("File too large") &&
                                                    p.s.TempsTimeout == 200
                                                ? 1
                                                : 0;
                                 });
        QCOMPARE(told, 1);
        QCOMPARE(QDir(p.dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
    }

    void damagedFilesToldAtStart_data() {
        columns<QByteArray, QByteArray, QStringList>({"general", "langue", "named"});
        const QByteArray sound = "[RS232]\r\nPORT=COM1\r\n";
        const QByteArray texts = "[FrmPrincipaleEn]\r\nquitter=Exit\r\n";
        QTest::newRow("garbage settings")
            << QByteArray("\0\xff\xfe[RS232\nPORT", 16) << texts << QStringList{"General.ini"};
        QTest::newRow("empty language file")
            << sound << QByteArray() << QStringList{"langue.ini", "customer variant"};
        QTest::newRow("both") << QByteArray("\r\n")
                              << QByteArray("[ValueSupervision]\r\nLangue=En\r\n")
                              << QStringList{"General.ini", "langue.ini"};
        QTest::newRow("sound") << sound << texts << QStringList();
    }
    void damagedFilesToldAtStart() {
        QFETCH(QByteArray, general);
        QFETCH(QByteArray, langue);
        QFETCH(QStringList, named);
        ProgramRig p;
        p.put("General.ini", general);
        p.put("langue.ini", langue);
        p.start();
        QCOMPARE(p.prompts.shown.size(), named.isEmpty() ? 0 : 1);
        for (const QString& n : named)
            QVERIFY2(p.prompts.shown[0].text.contains(n), qPrintable(p.prompts.shown[0].text));
        // Nothing is deleted or repaired behind the operator's back.
        QCOMPARE(fileBytes(p.s.generalIni()), general);
    }
};

QTEST_MAIN(TestSettingsReport)
#include "test_settings_report.moc"
