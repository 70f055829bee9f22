// Manual-command, serial-flow and view-option windows against the in-process board.
#include "core/AppState.h"
#include "core/link/Exchange.h"
#include "core/settings/Defaults.h"
#include "core/settings/Ini.h"
#include "core/translation/DefaultTexts.h"
#include "model/InProcessPort.h"
#include "support/BoardRig.h"
#include "support/Modal.h"
#include "support/ManualClock.h"
#include "support/ScriptedPrompts.h"
#include "ui/link/FlowListModel.h"
#include "ui/link/FrmCommandesManuelles.h"
#include "ui/link/FrmView.h"
#include "ui/link/FrmVisualisationFlux.h"
#include "ui/link/LinkMenu.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace tav;

namespace {

struct Bench : test::BoardRig {
    Bench() { prompts.messagesAreUnexpected = true; }
    void setOptions(const QString& v) {
        EcrireIni(s.langueIni(), QStringLiteral("ValueSupervision"), QStringLiteral("CheckOptions"),
                  v);
    }
    QString options() const {
        return LireIni(s.langueIni(), QStringLiteral("ValueSupervision"),
                       QStringLiteral("CheckOptions"));
    }
};

QStringList items(const QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

QStringList stored(const QListView* list) {
    QStringList out;
    for (int i = 0; i < list->model()->rowCount(); ++i)
        out << list->model()->index(i, 0).data(Qt::UserRole).toString();
    return out;
}

void type(FrmCommandesManuelles& w, const QString& text) {
    auto* box = w.findChild<QLineEdit*>(QStringLiteral("TxtCommande"));
    box->setText(text);
    QTest::keyClick(box, Qt::Key_Return);
}

} // namespace

class TestLinkCommandsFlow : public QObject {
    Q_OBJECT
private slots:
    void manualCommandsListsAnswers() {
        Bench b;
        FrmCommandesManuelles w(b.s);
        QCOMPARE(w.objectName(), QStringLiteral("FrmCommandesManuelles"));
        QCOMPARE(w.windowTitle(), QStringLiteral("Manuals commands"));
        QCOMPARE(w.findChild<QLabel*>(QStringLiteral("grplabel_2"))->text(),
                 QStringLiteral("Answer list"));
        QVERIFY(b.port.isOpen()); // opened on load

        auto* send = w.findChild<QListWidget*>(QStringLiteral("SendList"));
        auto* answers = w.findChild<QListWidget*>(QStringLiteral("AnswerList"));

        // Lower case goes out in upper case; the raw answer line is listed.
        type(w, QStringLiteral("ver?"));
        QCOMPARE(b.port.lastLine(), QByteArray("VER?"));
        QCOMPARE(items(send), QStringList{"VER? recognized"});
        QCOMPARE(items(answers), QStringList{"VER=V1.20"});
        QVERIFY(w.TxtCommande->text().isEmpty());
        QVERIFY(!b.s.ReponseBrute);

        // "=" and "+" parts are kept.
        b.port.responder = [](const QByteArray& line) -> std::optional<QByteArray> {
            if (line == "IPW?")
                return QByteArray("IPW=+12.3");
            return std::nullopt;
        };
        type(w, QStringLiteral("IPW?"));
        QCOMPARE(items(answers).last(), QStringLiteral("IPW=+12.3"));

        // An unknown command never reaches the answer list.
        type(w, QStringLiteral("xyz?"));
        QCOMPARE(items(send).last(), QStringLiteral("XYZ? unknown command"));
        QCOMPARE(answers->count(), 2);

        // No answer: "TIMEOUT" and nothing in the send list.
        b.port.setFault(sim::InProcessPort::Fault::NoAnswer, 4);
        type(w, QStringLiteral("snu?"));
        QCOMPARE(items(answers).last(), QStringLiteral("TIMEOUT"));
        QCOMPARE(send->count(), 3);
        QCOMPARE(send->currentRow(), 2);
        QCOMPARE(answers->currentRow(), 2);

        w.findChild<QPushButton*>(QStringLiteral("BoutonCorbeille"))->click();
        QCOMPARE(send->count(), 0);
        QCOMPARE(answers->count(), 0);
    }

    void enterDuringAnExchangeIsIgnored() {
        Bench b;
        b.s.FluxActif = true; // the exchange lets events run after each answer
        FrmCommandesManuelles w(b.s);
        int nested = 0;
        b.s.processEvents = [&] {
            if (nested++ == 0) {
                w.TxtCommande->setText(QStringLiteral("snu?"));
                w.TxtCommande_Enter();
            }
        };
        type(w, QStringLiteral("ver?"));
        QCOMPARE(b.port.receivedLines(), QList<QByteArray>{"VER?"});
        QCOMPARE(items(w.AnswerList), QStringList{"VER=V1.20"}); // still the raw line
        QVERIFY(!b.s.ReponseBrute);
    }

    void closingManualCommandsClosesThePort() {
        Bench b;
        {
            FrmCommandesManuelles w(b.s);
            w.show();
            QVERIFY(b.port.isOpen());
            w.close();
            QVERIFY(!b.port.isOpen());
        }
        // The next exchange of another window opens it again.
        QCOMPARE(EnvoyerCommande(b.s, QStringLiteral("SNU?")), QStringLiteral("TAV0001"));
        QCOMPARE(b.port.openCount(), 2);
    }

    void manualCommandsWithAPortThatCannotOpen() {
        Bench b;
        b.prompts.messagesAreUnexpected = false;
        b.port.setOpenError(QStringLiteral("Permission denied"));
        FrmCommandesManuelles w(b.s);
        QCOMPARE(b.prompts.messageTexts(), QStringList{"Permission denied"});
        type(w, QStringLiteral("ver?"));
        QCOMPARE(items(w.AnswerList), QStringList{"TIMEOUT"});
    }

    void flowListsFollowTheExchange() {
        Bench b;
        b.s.FluxActif = true;
        FrmVisualisationFlux flux(b.s);
        flux.show();
        QCOMPARE(flux.windowTitle(), QStringLiteral("Serial link flow"));
        QCOMPARE(flux.grplabel[0]->text(), QStringLiteral("Sending list"));

        QCOMPARE(EnvoyerCommande(b.s, QStringLiteral("VER?")), QStringLiteral("V1.20"));
        // Only the first attempt is logged; each silent attempt adds "TIMEOUT".
        b.port.setFault(sim::InProcessPort::Fault::NoAnswer, 4);
        QCOMPARE(EnvoyerCommande(b.s, QStringLiteral("SNU?")), QString());
        QCOMPARE(stored(flux.SendList), (QStringList{"VER?\r", "SNU?\r"}));
        QCOMPARE(stored(flux.AnswerList),
                 (QStringList{"VER=V1.20\r", "TIMEOUT", "TIMEOUT", "TIMEOUT", "TIMEOUT"}));
        QTRY_COMPARE(flux.AnswerList->currentIndex().row(), 4); // newest line in view

        // Time stamps: shown by default, switched off by the check box; the text stays.
        const QRegularExpression stamped(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d\\.\\d{3}  VER\\?$"));
        const QModelIndex first = flux.SendList->model()->index(0, 0);
        QVERIFY2(stamped.match(first.data().toString()).hasMatch(),
                 qPrintable(first.data().toString()));
        flux.findChild<QCheckBox*>(QStringLiteral("CheckHorodatage"))->setChecked(false);
        QCOMPARE(first.data().toString(), QStringLiteral("VER?"));
        QCOMPARE(first.data(Qt::UserRole).toString(), QStringLiteral("VER?\r"));

        flux.findChild<QPushButton*>(QStringLiteral("BoutonCorbeille"))->click();
        QCOMPARE(flux.SendList->model()->rowCount(), 0);
        QCOMPARE(flux.AnswerList->model()->rowCount(), 0);
        QVERIFY(b.s.flow.lines(FlowLog::Sent).isEmpty());
    }

    void flowListIsEmptiedAt32766Lines() {
        Bench b;
        b.s.FluxActif = true;
        FrmVisualisationFlux flux(b.s);
        flux.show();
        for (int i = 0; i < FlowLog::kMaxLines - 2; ++i)
            b.s.flow.append(FlowLog::Sent, QStringLiteral("L%1").arg(i));
        EnvoyerCommande(b.s, QStringLiteral("VER?"));
        QCOMPARE(flux.SendList->model()->rowCount(), FlowLog::kMaxLines - 1);
        EnvoyerCommande(b.s, QStringLiteral("VER?"));
        QCOMPARE(flux.SendList->model()->rowCount(), 0);
        QCOMPARE(flux.AnswerList->model()->rowCount(), 2);
        EnvoyerCommande(b.s, QStringLiteral("SNU?"));
        QCOMPARE(stored(flux.SendList), QStringList{"SNU?\r"});
    }

    void linesLoggedWhileClosedShowOnReopening() {
        Bench b;
        b.s.FluxActif = true;
        auto* first = new FrmVisualisationFlux(b.s);
        first->show();
        EnvoyerCommande(b.s, QStringLiteral("VER?"));
        delete first;
        EnvoyerCommande(b.s, QStringLiteral("SNU?"));
        FrmVisualisationFlux again(b.s);
        again.show();
        QCOMPARE(stored(again.SendList), (QStringList{"VER?\r", "SNU?\r"}));
        QCOMPARE(again.SendList->currentIndex().row(), 1);
    }

    void viewOptionsStoreTheMask() {
        Bench b;
        b.setOptions(QStringLiteral("2"));
        {
            FrmView v(b.s);
            QVERIFY(FrmView::estOuverte());
            QCOMPARE(v.CheckOptions[0]->objectName(), QStringLiteral("CheckOptions_0"));
            QCOMPARE(v.CheckOptions[0]->text(), QStringLiteral("RS232 flow window active"));
            QVERIFY(!v.CheckOptions[0]->isChecked());
            QVERIFY(v.CheckOptions[1]->isChecked());
            v.CheckOptions[0]->setChecked(true);
            v.findChild<QPushButton*>(QStringLiteral("BoutonExit"))->click();
            QVERIFY(!FrmView::estOuverte());
        }
        QCOMPARE(b.options(), QStringLiteral("2")); // Exit stores nothing

        FrmView v(b.s);
        v.CheckOptions[0]->setChecked(true);
        v.findChild<QPushButton*>(QStringLiteral("BoutonValider"))->click();
        QCOMPARE(b.options(), QStringLiteral("3"));
        QVERIFY(!FrmView::estOuverte());
    }

    void viewEntryReopensTheChosenWindows() {
        Bench b;
        QWidget main;
        QPointer<QWidget> flux, commandes;

        // Both boxes checked: "3", both windows open, FluxActif set.
        test::clickInNextModal(QStringLiteral("BoutonValider"), [](QWidget* modal) {
            for (auto* box : modal->findChildren<QCheckBox*>())
                box->setChecked(true);
        });
        ExecuterVue(b.s, &main, flux, commandes);
        QCOMPARE(b.options(), QStringLiteral("3"));
        QVERIFY(flux && flux->isVisible());
        QVERIFY(qobject_cast<FrmVisualisationFlux*>(flux.data()));
        QVERIFY(commandes && commandes->isVisible());
        QVERIFY(qobject_cast<FrmCommandesManuelles*>(commandes.data()));
        QVERIFY(b.s.FluxActif);
        QVERIFY(b.port.isOpen());

        // Clearing bit 0 closes the flow window but logging goes on (FluxActif stays set);
        // the reopened manual-command window reopened the port.
        const int opens = b.port.openCount();
        test::clickInNextModal(QStringLiteral("BoutonValider"), [](QWidget* modal) {
            modal->findChild<QCheckBox*>(QStringLiteral("CheckOptions_0"))->setChecked(false);
        });
        ExecuterVue(b.s, &main, flux, commandes);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(b.options(), QStringLiteral("2"));
        QVERIFY(!flux);
        QVERIFY(commandes && commandes->isVisible());
        QCOMPARE(b.port.openCount(), opens + 1);
        QVERIFY(b.s.FluxActif);
        EnvoyerCommande(b.s, QStringLiteral("VER?"));
        QCOMPARE(b.s.flow.lines(FlowLog::Sent).size(), 1);
    }

    void optionTwoLeavesFluxActifClear() {
        Bench b;
        b.setOptions(QStringLiteral("2"));
        QWidget main;
        QPointer<QWidget> flux, commandes;
        AppliquerCheckOptions(b.s, &main, flux, commandes);
        QVERIFY(!flux);
        QVERIFY(commandes);
        QVERIFY(!b.s.FluxActif);

        // A view window already open: no second one, the options are applied at once.
        FrmView open(b.s);
        b.setOptions(QStringLiteral("1"));
        ExecuterVue(b.s, &main, flux, commandes);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(flux);
        QVERIFY(!commandes);
        QVERIFY(b.s.FluxActif);
        QVERIFY(!b.port.isOpen()); // closing the manual-command window closed it
    }
};

QTEST_MAIN(TestLinkCommandsFlow)
#include "test_link_commands_flow.moc"
