// Serial-link settings window, its menu entry, and the baud-rate menu entry against the
// in-process board.
#include "core/link/Exchange.h"
#include "core/settings/Variant.h"
#include "support/BoardRig.h"
#include "support/Modal.h"
#include "ui/Columns.h"
#include "ui/link/DetectionPanel.h"
#include "ui/link/FrmConfigRS232.h"
#include "ui/link/LinkMenu.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace tav;

namespace {

const char* const kLists[] = {"ListePortCom", "ListeBaudRate", "ListeParite", "ListeBitsDonnees",
                              "ListeBitsStop"};

struct Bench : test::BoardRig {
    Bench() { prompts.messagesAreUnexpected = true; }
    QString get(const QString& key) const { return LireIni(s.generalIni(), "RS232", key); }
    void set(const QString& key, const QString& value) { EcrireIni(s.generalIni(), "RS232", key, value); }
    QByteArray generalBytes() const { return test::fileBytes(s.generalIni()); }
};

QComboBox* list(QWidget* w, const char* name) {
    return w->findChild<QComboBox*>(QString::fromLatin1(name));
}

} // namespace

class TestLinkRs232 : public QObject {
    Q_OBJECT
private slots:
    void storedValuesShownAndValidateStores() {
        Bench b;
        EcrireMarqueurUsine(b.dir.path());
        // An empty setting keeps the list text.
        const QStringList keys{"PORT", "BAUD", "PARITE", "DATA", "STOP"},
            stored{"COM4", "38400", "EVEN", "7", ""}, shown{"COM4", "38400", "EVEN", "7", "1"};
        for (int i = 0; i < 5; ++i) b.set(keys[i], stored[i]);
        b.set("TxtSleepTwoChars", "5");
        const QByteArray before = b.generalBytes();
        {
            FrmConfigRS232 w(b.s);
            for (int i = 0; i < 5; ++i) QCOMPARE(list(&w, kLists[i])->currentText(), shown[i]);
            QCOMPARE(w.findChild<QLineEdit*>("TxtSleepTwoChars")->text(), QStringLiteral("5"));
            QCOMPARE(list(&w, "ListePortCom")->itemText(19), QStringLiteral("COM20"));
            // Exit writes nothing.
            list(&w, "ListePortCom")->setEditText(QStringLiteral("/dev/pts/7"));
            w.findChild<QPushButton*>("BoutonExit")->click();
        }
        QCOMPARE(b.generalBytes(), before);
        FrmConfigRS232 w(b.s);
        list(&w, "ListePortCom")->setEditText(QStringLiteral("/dev/pts/7"));
        list(&w, "ListeBaudRate")->setEditText(QStringLiteral("115200"));
        w.findChild<QPushButton*>("BoutonValider")->click();
        QCOMPARE(b.get("PORT") + ' ' + b.get("BAUD"), QStringLiteral("/dev/pts/7 115200"));
    }

    void customerVariantShowsOnlyThePortAndWritesAllSixKeys() {
        Bench b;
        // No RS232 section yet: the keys appear in the order they are written.
        QFile::remove(b.s.generalIni());
        QVERIFY(!VarianteUsine(b.dir.path()));
        FrmConfigRS232 w(b.s);
        for (int i = 1; i < 5; ++i) QVERIFY2(list(&w, kLists[i])->isHidden(), kLists[i]);
        QVERIFY(w.findChild<QLineEdit*>("TxtSleepTwoChars")->isHidden() &&
                !list(&w, "ListePortCom")->isHidden());
        // The window shrinks to the port row.
        EcrireMarqueurUsine(b.dir.path());
        FrmConfigRS232 full(b.s);
        QVERIFY(w.sizeHint().height() < full.sizeHint().height());

        list(&w, "ListePortCom")->setEditText(QStringLiteral("COM2"));
        w.findChild<QPushButton*>("BoutonValider")->click();
        const QString text = QString::fromLatin1(b.generalBytes());
        qsizetype at = -1;
        for (const char* k :
             {"PORT=COM2", "BAUD=9600", "PARITE=NONE", "DATA=8", "STOP=1", "TxtSleepTwoChars="}) {
            const qsizetype next = text.indexOf(QLatin1String(k));
            QVERIFY2(next > at, qPrintable(k + ("in\n" + text)));
            at = next;
        }
    }

    // Settings the port cannot take are refused with a message and nothing stored.
    void unusableSettingsAreRefused_data() {
        test::columns<bool, QString, QString, QString>({"factory", "list", "typed", "message"});
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
        QFETCH(QString, typed);
        QFETCH(QString, message);
        test::BoardRig rig;
        if (factory) EcrireMarqueurUsine(rig.dir.path());
        FrmConfigRS232 w(rig.s);
        QFETCH(QString, list);
        w.findChild<QComboBox*>(list)->setEditText(typed);
        const QByteArray before = test::fileBytes(rig.s.generalIni());
        w.BoutonValider_Click();
        const QByteArray after = test::fileBytes(rig.s.generalIni());
        const QStringList texts = rig.prompts.messageTexts();
        QCOMPARE(w.result() == QDialog::Accepted, message.isEmpty());
        if (message.isEmpty()) {
            QVERIFY(texts.isEmpty() && after.contains("=" + typed.toLatin1() + "\r\n"));
        } else {
            QVERIFY2(texts.size() == 1 && texts[0].startsWith(message), qPrintable(texts.join('|')));
            QCOMPARE(after, before);
        }
    }

    void longDevicePathShownWhole() {
        test::BoardRig rig;
        const QString path = QStringLiteral("/home/operator/projects/tavoem/.demo/board");
        EcrireIni(rig.s.generalIni(), "RS232", "PORT", path);
        FrmConfigRS232 w(rig.s);
        w.show();
        QVERIFY(w.ListePortCom->width() > w.ListePortCom->fontMetrics().horizontalAdvance(path));
        QCOMPARE(w.ListePortCom->toolTip(), path);
    }

    void serialLinkEntryReopensOnlyForANewPort() {
        Bench b;
        EcrireMarqueurUsine(b.dir.path());
        QVERIFY(OuvrirPort(b.s));
        // Only the rate changes: the open port keeps its settings.
        test::clickInNextModal("BoutonValider", [](QWidget* m) {
            list(m, "ListeBaudRate")->setEditText(QStringLiteral("38400"));
        });
        ExecuterLiaisonSerie(b.s, nullptr);
        QCOMPARE(b.get("BAUD"), QStringLiteral("38400"));
        QVERIFY(b.port.isOpen() && b.port.openCount() == 1);
        QCOMPARE(b.port.openedSettings().baud, 19200);
        // A new port: closed and opened again with the new settings.
        test::clickInNextModal("BoutonValider", [](QWidget* m) {
            list(m, "ListePortCom")->setEditText(QStringLiteral("/dev/pts/9"));
        });
        ExecuterLiaisonSerie(b.s, nullptr);
        QCOMPARE(b.port.openCount(), 2);
        QCOMPARE(b.port.openedName(), QStringLiteral("/dev/pts/9"));
        QCOMPARE(b.port.openedSettings().baud, 38400);
    }

    void baudRateEntryMessages() {
        Bench b;
        b.prompts.messagesAreUnexpected = false;
        QWidget main;
        main.resize(400, 300);
        DetectionPanel panel(&main);
        // Found by the scan. The caption stays centred in the lower half, clear of the menu bar
        // and of the window's centred title.
        b.set("BAUD", "9600");
        b.port.setBoardBaud(38400);
        QList<QRect> placed;
        b.s.processEvents = [&] {
            if (!panel.isHidden()) placed << panel.geometry();
        };
        QCOMPARE(ExecuterDetectionVitesse(b.s, panel), QStringLiteral("38400"));
        QVERIFY(!placed.isEmpty());
        for (const QRect& r : placed) {
            QVERIFY(qAbs(r.center().x() - main.width() / 2) <= 1);
            QVERIFY(r.top() > main.height() / 2 && r.bottom() < main.height());
        }
        QCOMPARE(b.prompts.messageTexts(),
                 QStringList{"Automatic Baud Rate Detection successed (Value : 38400)."});
        QCOMPARE(panel.MessageBaudRate->text(), QStringLiteral("Scan for 38400 vtl"));
        QVERIFY(panel.isHidden() && !b.port.isOpen());
        QCOMPARE(b.get("BAUD"), QStringLiteral("38400"));

        // Cancel during the scan: it stops there, BAUD restored, no message.
        b.port.setBoardBaud(2400);
        const int opened = b.port.openCount();
        b.s.processEvents = [&] { panel.BoutonAnnuler->click(); };
        QCOMPARE(ExecuterDetectionVitesse(b.s, panel), QString());
        QCOMPARE(b.prompts.messageTexts().size(), 1); // the success above only
        QCOMPARE(b.port.openCount(), opened + 1);      // the stored rate only
        QCOMPARE(b.get("BAUD"), QStringLiteral("38400"));
        b.s.processEvents = nullptr;

        // A missing adapter: one message naming the port, BAUD restored.
        b.prompts.clear();
        b.set("PORT", "/dev/ttyUSB3");
        b.port.setDeviceName(QStringLiteral("/dev/ttyUSB0"));
        QCOMPARE(ExecuterDetectionVitesse(b.s, panel), QString());
        QCOMPARE(b.prompts.shown.size(), 1);
        QVERIFY(b.prompts.shown[0].text.startsWith("Automatic Baud Rate Detection failed.") &&
                b.prompts.shown[0].text.contains("/dev/ttyUSB3"));
        QCOMPARE(b.get("BAUD"), QStringLiteral("38400"));
    }
};

QTEST_MAIN(TestLinkRs232)
#include "test_link_rs232.moc"
