// What an installed program does differently from a portable one: its folder.
#include "core/settings/ProgramDir.h"
#include "core/settings/Variant.h"
#include "support/Columns.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>


using namespace tav;

class InstalledUse : public QObject {
    Q_OBJECT

private slots:
    void systemFolders_data() {
        test::columns<QString, bool>({"dir", "system"});
        QTest::newRow("usr/bin") << "/usr/bin" << true;
        QTest::newRow("usr/local/bin") << "/usr/local/bin/" << true;
        QTest::newRow("user folder") << "/home/op/tavoem" << false;
        QTest::newRow("prefix only") << "/usrlocal/bin" << false;
    }
    void systemFolders() {
        QTEST(isSystemFolder(test::fetch<QString>("dir")), "system");
    }

    // The executable's own answers, without a display where none is needed.
    void commandLine_data() {
        test::columns<QStringList, QString>({"args", "platform"}); // QT_QPA_PLATFORM; "": none
        test::columns<int, QString>({"exitCode", "output"});
        QTest::newRow("version") << QStringList{"--version"} << "" << 0 << "tavoem 1.";
        QTest::newRow("help") << QStringList{"--help"} << "" << 0 << "--program-dir";
        QTest::newRow("no display") << QStringList{} << "" << 1 << "xvfb-run -a";
        QTest::newRow("factory") << QStringList{"--factory", "--quit-after", "100"} << "offscreen" << 0 << "";
    }
    void commandLine() {
        QFETCH(QStringList, args);
        QFETCH(QString, platform);
        QFETCH(int, exitCode);
        const QString bin = qEnvironmentVariable("TAVOEM_BIN");
        QVERIFY2(!bin.isEmpty(), "TAVOEM_BIN must name the built tavoem (CTest sets it)");
        QTemporaryDir dir;
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* var : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QString::fromLatin1(var));
        if (!platform.isEmpty())
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
        p.setProcessEnvironment(env);
        p.start(bin, QStringList{"--program-dir", dir.path()} + args);
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitCode(), exitCode);
        QVERIFY(QString::fromLocal8Bit(p.readAllStandardOutput() + p.readAllStandardError())
                    .contains(test::fetch<QString>("output")));
        // The factory variant survives the start-up, which needs its texts file; a start writes
        // the default settings.
        QCOMPARE(VarianteUsine(dir.path()), args.contains("--factory"));
        if (!platform.isEmpty()) QVERIFY(QFile::exists(dir.filePath("General.ini")));
    }
};

QTEST_GUILESS_MAIN(InstalledUse)
#include "test_installed_use.moc"
