#include "core/link/Exchange.h"
#include "core/settings/Ini.h"
#include "core/settings/Variant.h"
#include "core/text/Scramble.h"
#include "support/BoardRig.h"
#include "ui/Columns.h"
#include "ui/about/FrmAPropos.h"
#include "ui/main/FrmPrincipale.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

using namespace tav;
using namespace tav::test;

namespace {

// The main window on the in-process board; the about box opens from its "?" entry.
struct AboutRig : BoardRig {
    FrmPrincipale main{s};
    AboutRig() {
        main.Form_Load();
        board.setVersion("2.31");
    }
    FrmAPropos* open() {
        main.entry("Menuapropos")->trigger();
        for (FrmAPropos* w : main.findChildren<FrmAPropos*>())
            if (w->isVisible()) return w;
        return nullptr;
    }
};

} // namespace

class TestFrmAPropos : public QObject {
    Q_OBJECT
private slots:
    void eachOpeningAsksOnce_data() {
        // late: the board's late answer to the second return
        columns<QString, int, QString, int, QByteArray>(
            {"marker", "refresh", "variant", "interval", "late"});
        QTest::newRow("customer") << "" << 250 << "Customer Version" << 250 << QByteArray(" ");
        QTest::newRow("marker in other case") << BrouillerTexte(QStringLiteral("quilta")) << 250
                                              << "Internal Version" << 250 << QByteArray("\r");
        QTest::newRow("period capped")
            << "" << 100000 << "Customer Version" << 65535 << QByteArray("ERR/UNKNOWN");
    }
    void eachOpeningAsksOnce() {
        QFETCH(QString, marker);
        QFETCH(int, refresh);
        QFETCH(QByteArray, late);
        AboutRig r;
        if (!marker.isEmpty()) EcrireIni(r.s.fichIni(), "PWD", "CLIENT", marker);
        r.s.TempsRafraichissement = refresh;
        r.port.responder = [&](const QByteArray& line) -> std::optional<QByteArray> {
            r.port.setAnswerDelay(line.isEmpty() ? 30 : 0);
            return line.isEmpty() ? std::optional(late) : std::nullopt;
        };
        for (int opening = 1; opening <= 2; ++opening) {
            FrmAPropos* box = r.open();
            QTEST(box->Label->text(), "variant");
            QCOMPARE(box->TxtVER->text(), QString("Embedded Software : "));
            QTEST(box->Horloge->interval(), "interval");
            box->Horloge_Timer();
            box->Horloge_Timer();
            QCOMPARE(box->TxtVER->text(), QString("Embedded Software : 2.31"));
            QCOMPARE(r.open(), box); // already open: brought forward, not asked again
            box->close();
            QVERIFY(!box->Horloge->isActive());
        }
        // The late answer to the second return never passes for the next command's answer.
        QCOMPARE(EnvoyerCommande(r.s, "SOP=150"), QString("SOP!"));
        // "VER?" and its second carriage return, once per opening.
        QCOMPARE(r.sent(), QStringList({"VER?", "", "VER?", "", "SOP=150"}));
    }

    void password_data() {
        columns<QString, bool>({"typed", "accepted"}); // typed null: the box is cancelled
        QTest::newRow("lower case") << "quilta" << true;
        QTest::newRow("cancelled") << QString() << false;
        QTest::newRow("wrong") << "QUILT" << false;
    }
    void password() {
        QFETCH(QString, typed);
        QFETCH(bool, accepted);
        AboutRig r;
        r.prompts.inputAnswers << (typed.isNull() ? std::nullopt : std::optional(typed));
        FrmAPropos* box = r.open();
        QTest::mouseClick(box->TxtVER, Qt::LeftButton);
        QCOMPARE(r.prompts.shown.first().text + r.prompts.shown.first().title,
                 QString("Veuillez saisir le mot de passe.Passer en soft usine"));
        QCOMPARE(VarianteUsine(r.dir.path()), accepted);
        QCOMPARE(r.main.entry("Passerlesoftenmodeclient")->isVisible(), accepted);
        QCOMPARE(r.prompts.messageTexts(),
                 accepted ? QStringList() : QStringList{"Mot de passe invalide."});
        QCOMPARE(box->Label->text(), QString("Customer Version"));
    }
};

QTEST_MAIN(TestFrmAPropos)
#include "test_frm_apropos.moc"
