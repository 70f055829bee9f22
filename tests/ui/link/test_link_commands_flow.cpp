// Manual-command, serial-flow and view-option windows against the in-process board.
#include "core/link/Exchange.h"
#include "support/BoardRig.h"
#include "support/Modal.h"
#include "ui/link/FrmCommandesManuelles.h"
#include "ui/link/FrmView.h"
#include "ui/link/FrmVisualisationFlux.h"
#include "ui/link/LinkMenu.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>

using namespace tav;

namespace {

struct Bench : test::BoardRig {
    Bench() { prompts.messagesAreUnexpected = true; }
    void setOptions(const QString& v) {
        EcrireIni(s.langueIni(), "ValueSupervision", "CheckOptions", v);
    }
    QString options() const { return LireIni(s.langueIni(), "ValueSupervision", "CheckOptions"); }
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
    w.TxtCommande->setText(text);
    QTest::keyClick(w.TxtCommande, Qt::Key_Return);
}

// Runs the "View" entry, ticking the boxes as given (-1: left as they are) and pressing `button`.
void view(Bench& b, QWidget* main, QPointer<QWidget>& flux, QPointer<QWidget>& commandes,
          const QString& button, int box0, int box1) {
    test::clickInNextModal(button, [box0, box1](QWidget* modal) {
        const int ticks[] = {box0, box1};
        for (int i = 0; i < 2; ++i)
            if (ticks[i] >= 0)
                modal->findChild<QCheckBox*>(QStringLiteral("CheckOptions_%1").arg(i))
                    ->setChecked(ticks[i]);
    });
    ExecuterVue(b.s, main, flux, commandes);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

class TestLinkCommandsFlow : public QObject {
    Q_OBJECT
private slots:
    void manualCommandsListsAnswers() {
        Bench b;
        FrmCommandesManuelles w(b.s);
        // Lower case goes out in upper case; the raw answer line is listed, "=" and "+" kept.
        b.port.responder = [](const QByteArray& line) -> std::optional<QByteArray> {
            return line == "IPW?" ? std::optional<QByteArray>("IPW=+12.3") : std::nullopt;
        };
        type(w, QStringLiteral("ipw?"));
        QCOMPARE(b.port.lastLine(), QByteArray("IPW?"));
        QCOMPARE(items(w.SendList), QStringList{"IPW? recognized"});
        QCOMPARE(items(w.AnswerList), QStringList{"IPW=+12.3"});
        QVERIFY(w.TxtCommande->text().isEmpty() && !b.s.ReponseBrute);

        // An unknown command never reaches the answer list; no answer: "TIMEOUT" only there.
        type(w, QStringLiteral("xyz?"));
        QCOMPARE(items(w.SendList).last(), QStringLiteral("XYZ? unknown command"));
        b.port.setFault(sim::InProcessPort::Fault::NoAnswer, 4);
        type(w, QStringLiteral("snu?"));
        QCOMPARE(items(w.AnswerList), (QStringList{"IPW=+12.3", "TIMEOUT"}));
        QVERIFY(w.SendList->count() == 2 && w.AnswerList->currentRow() == 1);

        w.findChild<QPushButton*>(QStringLiteral("BoutonCorbeille"))->click();
        QCOMPARE(w.SendList->count() + w.AnswerList->count(), 0);
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

    void portOpenedOnLoadAndClosedOnClose() {
        Bench b;
        b.prompts.messagesAreUnexpected = false;
        b.port.setOpenError(QStringLiteral("Permission denied"));
        {
            FrmCommandesManuelles w(b.s);
            QCOMPARE(b.prompts.shown.size(), 1);
            QVERIFY(b.prompts.shown[0].text.contains(": Permission denied."));
            type(w, QStringLiteral("ver?"));
            QCOMPARE(items(w.AnswerList), QStringList{"TIMEOUT"});
        }
        b.port.setOpenError(QString());
        {
            FrmCommandesManuelles w(b.s);
            QVERIFY(b.port.isOpen());
            w.close();
            QVERIFY(!b.port.isOpen());
        }
        // The next exchange of another window opens it again.
        QCOMPARE(EnvoyerCommande(b.s, QStringLiteral("SNU?")), QStringLiteral("TAV0001"));
        QCOMPARE(b.port.openCount(), 2);
    }

    void flowListsFollowTheExchange() {
        Bench b;
        b.s.FluxActif = true;
        auto flux = std::make_unique<FrmVisualisationFlux>(b.s);
        flux->show();
        QCOMPARE(EnvoyerCommande(b.s, QStringLiteral("VER?")), QStringLiteral("V1.20"));
        b.port.setFault(sim::InProcessPort::Fault::NoAnswer, 2);
        b.s.NbRepetitions = 1;
        QCOMPARE(EnvoyerCommande(b.s, QStringLiteral("SNU?")), QString());
        QCOMPARE(stored(flux->SendList), (QStringList{"VER?\r", "SNU?\r"}));
        QCOMPARE(stored(flux->AnswerList), (QStringList{"VER=V1.20\r", "TIMEOUT", "TIMEOUT"}));
        QTRY_COMPARE(flux->AnswerList->currentIndex().row(), 2); // newest line in view

        // Time stamps: shown by default, switched off by the check box; the text stays.
        const QRegularExpression stamped("^\\d\\d:\\d\\d:\\d\\d\\.\\d{3}  VER\\?$");
        const QModelIndex first = flux->SendList->model()->index(0, 0);
        QVERIFY2(stamped.match(first.data().toString()).hasMatch(),
                 qPrintable(first.data().toString()));
        flux->findChild<QCheckBox*>(QStringLiteral("CheckHorodatage"))->setChecked(false);
        QCOMPARE(first.data().toString(), QStringLiteral("VER?"));

        flux->findChild<QPushButton*>(QStringLiteral("BoutonCorbeille"))->click();
        QCOMPARE(flux->SendList->model()->rowCount(), 0);
        QVERIFY(b.s.flow.lines(FlowLog::Answers).isEmpty());

        // Lines logged while the window is hidden are shown again; unloading it empties its
        // lists, and what is logged afterwards shows when it opens again.
        flux->hide();
        EnvoyerCommande(b.s, QStringLiteral("IPW?"));
        flux->show();
        QCOMPARE(stored(flux->SendList), QStringList{"IPW?\r"});
        flux.reset();
        EnvoyerCommande(b.s, QStringLiteral("SNU?"));
        FrmVisualisationFlux again(b.s);
        again.show();
        QCOMPARE(stored(again.SendList), QStringList{"SNU?\r"});
        QCOMPARE(stored(again.AnswerList), QStringList{"SNU=TAV0001\r"});
    }

    void viewOptionsOpenTheChosenWindows() {
        Bench b;
        QWidget main;
        QPointer<QWidget> flux, commandes;
        // At start-up, option 2 opens only the manual-command window and leaves FluxActif clear.
        b.setOptions(QStringLiteral("2"));
        AppliquerCheckOptions(b.s, &main, flux, commandes);
        QVERIFY(!flux && commandes && !b.s.FluxActif);

        // Exit stores nothing.
        view(b, &main, flux, commandes, QStringLiteral("BoutonExit"), 1, -1);
        QCOMPARE(b.options(), QStringLiteral("2"));
        QVERIFY(!FrmView::estOuverte());

        // Both boxes checked: "3", both windows open, FluxActif set.
        view(b, &main, flux, commandes, QStringLiteral("BoutonValider"), 1, 1);
        QCOMPARE(b.options(), QStringLiteral("3"));
        QVERIFY(qobject_cast<FrmVisualisationFlux*>(flux.data()) && flux->isVisible());
        QVERIFY(qobject_cast<FrmCommandesManuelles*>(commandes.data()) && commandes->isVisible());
        QVERIFY(b.s.FluxActif && b.port.isOpen());
        EnvoyerCommande(b.s, QStringLiteral("SNU?"));

        // Clearing bit 0 unloads the flow window, emptying its lists, but logging goes on
        // (FluxActif stays set); the reopened manual-command window reopened the port.
        const int opens = b.port.openCount();
        view(b, &main, flux, commandes, QStringLiteral("BoutonValider"), 0, -1);
        QCOMPARE(b.options(), QStringLiteral("2"));
        QVERIFY(!flux && commandes && commandes->isVisible());
        QCOMPARE(b.port.openCount(), opens + 1);
        QVERIFY(b.s.FluxActif);
        EnvoyerCommande(b.s, QStringLiteral("VER?"));
        QCOMPARE(b.s.flow.lines(FlowLog::Sent).size(), 1);

        // A view window already open: no second one, the stored options are applied at once.
        FrmView open(b.s);
        b.setOptions(QStringLiteral("1"));
        ExecuterVue(b.s, &main, flux, commandes);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(flux && !commandes && b.s.FluxActif);
        QVERIFY(!b.port.isOpen()); // closing the manual-command window closed it
    }
};

QTEST_MAIN(TestLinkCommandsFlow)
#include "test_link_commands_flow.moc"
