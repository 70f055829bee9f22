// The real dialogs: keys an operator presses without reading, and one port-failure box per
// operator action.
#include "core/link/Exchange.h"
#include "support/BoardRig.h"
#include "support/NullPort.h"
#include "ui/main/FrmMotDePasse.h"
#include "ui/support/OperatorActions.h"
#include "ui/support/WidgetPrompts.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace tav;

class WidgetPromptsTest : public QObject {
    Q_OBJECT
private slots:
    void enterOrEscAnswersNo() {
        WidgetPrompts prompts;
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
            QTimer::singleShot(0, [key] { QTest::keyClick(QApplication::activeModalWidget(), key); });
            QVERIFY(!prompts.askYesNo("Overwrite?", "t", PromptIcon::Critical));
        }
    }

    void passwordWindow() {
        test::BoardRig rig;
        rig.s.MotDePasseValide = true;
        FrmMotDePasse dlg(rig.s);
        QVERIFY(!rig.s.MotDePasseValide); // reset on opening
        QCOMPARE(dlg.findChild<QLabel*>("prompt")->text(), dlg.windowTitle());
        dlg.show();
        // A wrong password: one message, the box emptied, the window stays; OK checks as Enter
        // does, once.
        QTest::keyClicks(dlg.TxtPWD, "wrong");
        QTest::keyClick(dlg.TxtPWD, Qt::Key_Return);
        QCOMPARE(rig.prompts.messageTexts(), QStringList({"Invalid password."}));
        QVERIFY(dlg.isVisible() && dlg.TxtPWD->text().isEmpty() && !rig.s.MotDePasseValide);
        auto* ok = dlg.findChild<QPushButton*>("ok");
        dlg.TxtPWD->setText("wrong");
        ok->click();
        QCOMPARE(rig.prompts.shown.size(), 2);
        dlg.TxtPWD->setText("QUILTA");
        ok->click();
        QVERIFY(rig.s.MotDePasseValide && !dlg.isVisible() && dlg.result() == QDialog::Accepted);
        // Cancel closes without a password.
        FrmMotDePasse again(rig.s);
        again.show();
        again.TxtPWD->setText("quilta");
        again.findChild<QPushButton*>("cancel")->click();
        QVERIFY(!rig.s.MotDePasseValide && again.result() == QDialog::Rejected);
    }

    void onePortFailureBoxPerAction() {
        test::BoardRig rig;
        EcrireIni(rig.s.generalIni(), "RS232", "PORT", "/dev/tav-unplugged");
        test::NullPort port;
        WidgetPrompts prompts;
        AppState s(rig.dir.path(), port, rig.clock, prompts);
        suivreActionsOperateur(*qApp, s);
        int redFirst = 0; // the lamp's hook runs before each box
        s.avantEchecPort = [&] { ++redFirst; };
        // Every box is answered with Enter, which is part of the action that showed it.
        QStringList boxes;
        QTimer answer;
        connect(&answer, &QTimer::timeout, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                boxes << box->text();
                QTest::keyClick(box, Qt::Key_Return);
            }
        });
        answer.start(5);
        QPushButton start("Start");
        connect(&start, &QPushButton::clicked, [&] {
            for (const char* c : {"STS?", "OPW?", "IPW?"})
                EnvoyerCommande(s, c);
        });
        start.show();
        QVERIFY(QTest::qWaitForWindowExposed(&start));
        QTest::mouseClick(&start, Qt::LeftButton);
        QCOMPARE(boxes.size(), 1);
        QTest::mouseClick(&start, Qt::LeftButton);
        QTest::keyClick(&start, Qt::Key_Space);
        QVERIFY(boxes.size() == 3 && redFirst == 3);
        QVERIFY2(boxes[0].contains("\"/dev/tav-unplugged\"") &&
                     boxes[0].contains("Check that the device exists"),
                 qPrintable(boxes[0]));
    }
};

QTEST_MAIN(WidgetPromptsTest)
#include "test_widget_prompts.moc"
