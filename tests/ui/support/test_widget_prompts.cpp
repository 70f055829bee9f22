// The real dialogs: keys an operator presses without reading.
#include "core/AppState.h"
#include "support/BoardRig.h"
#include "ui/main/FrmMotDePasse.h"
#include "ui/support/WidgetPrompts.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace tav;

class WidgetPromptsTest : public QObject {
    Q_OBJECT

    // Presses a key in the modal window that the next exec() shows.
    static void pressInNextModal(Qt::Key key) {
        QTimer::singleShot(0, [key] {
            QWidget* modal = QApplication::activeModalWidget();
            QVERIFY(modal);
            QTest::keyClick(modal, key);
        });
    }

private slots:
    void enterOrEscAnswersNo_data() {
        QTest::addColumn<int>("key");
        QTest::newRow("Enter") << int(Qt::Key_Return);
        QTest::newRow("Esc") << int(Qt::Key_Escape);
    }
    void enterOrEscAnswersNo() {
        QFETCH(int, key);
        WidgetPrompts prompts;
        pressInNextModal(Qt::Key(key));
        QVERIFY(!prompts.askYesNo(QStringLiteral("Overwrite?"), QStringLiteral("t"),
                                  PromptIcon::Critical));
    }

    void passwordWindow() {
        test::BoardRig rig;
        rig.s.MotDePasseValide = true;
        FrmMotDePasse dlg(rig.s);
        QVERIFY(!rig.s.MotDePasseValide); // reset on opening
        QCOMPARE(dlg.findChild<QLabel*>(QStringLiteral("prompt"))->text(), dlg.windowTitle());
        dlg.show();
        // A wrong password: one message, the box emptied, the window stays; OK checks as Enter
        // does, once.
        QTest::keyClicks(dlg.TxtPWD, "wrong");
        QTest::keyClick(dlg.TxtPWD, Qt::Key_Return);
        QCOMPARE(rig.prompts.messageTexts(), QStringList({"Invalid password."}));
        QVERIFY(dlg.isVisible() && dlg.TxtPWD->text().isEmpty() && !rig.s.MotDePasseValide);
        auto* ok = dlg.findChild<QPushButton*>(QStringLiteral("ok"));
        dlg.TxtPWD->setText(QStringLiteral("wrong"));
        ok->click();
        QCOMPARE(rig.prompts.shown.size(), 2);
        dlg.TxtPWD->setText(QStringLiteral("QUILTA"));
        ok->click();
        QVERIFY(rig.s.MotDePasseValide && !dlg.isVisible());
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        // Cancel closes without a password.
        FrmMotDePasse again(rig.s);
        again.show();
        again.TxtPWD->setText(QStringLiteral("quilta"));
        again.findChild<QPushButton*>(QStringLiteral("cancel"))->click();
        QVERIFY(!rig.s.MotDePasseValide);
        QCOMPARE(again.result(), int(QDialog::Rejected));
    }
};

QTEST_MAIN(WidgetPromptsTest)
#include "test_widget_prompts.moc"
