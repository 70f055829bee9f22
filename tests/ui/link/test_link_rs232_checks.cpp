// Serial-link window: settings the port cannot take are refused; long device paths are readable.
#include "core/settings/Ini.h"
#include "core/settings/Variant.h"
#include "support/BoardRig.h"
#include "ui/link/FrmConfigRS232.h"

#include <QComboBox>
#include <QFile>
#include <QPushButton>
#include <QtTest>

using namespace tav;

class TestLinkRs232Checks : public QObject {
    Q_OBJECT
private slots:
    void unusableSettingsAreRefused_data() {
        QTest::addColumn<bool>("factory");
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message"); // "" when the settings are stored
        QTest::newRow("baud word") << true << "ListeBaudRate" << "fast" << "Baud Rate: \"fast\"";
        QTest::newRow("baud zero") << true << "ListeBaudRate" << "0" << "Baud Rate: \"0\"";
        QTest::newRow("parity") << true << "ListeParite" << "X" << "Parity Mode: \"X\"";
        QTest::newRow("data bits") << true << "ListeBitsDonnees" << "9" << "Number of data bit: \"9\"";
        QTest::newRow("stop bits") << true << "ListeBitsStop" << "3" << "Number of stop bit: \"3\"";
        QTest::newRow("odd rate") << true << "ListeBaudRate" << "250000" << "";
        QTest::newRow("mark") << true << "ListeParite" << "MARK" << "";
        // Hidden fields: what is stored is written back as it stands.
        QTest::newRow("customer") << false << "ListeBaudRate" << "fast" << "";
    }
    void unusableSettingsAreRefused() {
        QFETCH(bool, factory);
        QFETCH(QString, list);
        QFETCH(QString, typed);
        QFETCH(QString, message);
        test::BoardRig rig;
        if (factory) EcrireMarqueurUsine(rig.dir.path());
        FrmConfigRS232 w(rig.s);
        w.findChild<QComboBox*>(list)->setEditText(typed);
        const QByteArray before = test::fileBytes(rig.s.generalIni());
        w.BoutonValider_Click();
        const QByteArray after = test::fileBytes(rig.s.generalIni());
        if (message.isEmpty()) {
            QCOMPARE(rig.prompts.messageTexts(), QStringList());
            QVERIFY(after.contains("=" + typed.toLatin1() + "\r\n"));
            QCOMPARE(w.result(), int(QDialog::Accepted));
        } else {
            QCOMPARE(rig.prompts.messageTexts().size(), 1);
            QVERIFY2(rig.prompts.messageTexts()[0].startsWith(message),
                     qPrintable(rig.prompts.messageTexts()[0]));
            QCOMPARE(after, before); // nothing stored
            QVERIFY(w.result() != int(QDialog::Accepted));
        }
    }

    void longDevicePathShownWhole() {
        test::BoardRig rig;
        const QString path = QStringLiteral("/home/operator/projects/tavoem/.demo/board");
        EcrireIni(rig.s.generalIni(), QStringLiteral("RS232"), QStringLiteral("PORT"), path);
        FrmConfigRS232 w(rig.s);
        w.show();
        QComboBox* port = w.ListePortCom;
        QVERIFY(port->width() > port->fontMetrics().horizontalAdvance(path));
        QCOMPARE(port->toolTip(), path);
    }
};

QTEST_MAIN(TestLinkRs232Checks)
#include "test_link_rs232_checks.moc"
