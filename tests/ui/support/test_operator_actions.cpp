// A port failure is reported once per operator action, through the real message boxes.
#include "core/AppState.h"
#include "core/link/Exchange.h"
#include "core/settings/Defaults.h"
#include "core/settings/Ini.h"
#include "support/ManualClock.h"
#include "support/NullPort.h"
#include "ui/support/OperatorActions.h"
#include "ui/support/WidgetPrompts.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace tav;

class TestOperatorActions : public QObject {
    Q_OBJECT
private slots:
    void onePortFailureBoxPerAction() {
        QTemporaryDir dir;
        EcrireParametresDefaut(dir.path());
        EcrireIni(dir.filePath("General.ini"), "RS232", "PORT", "/dev/tav-unplugged");
        test::NullPort port;
        test::ManualClock clock;
        WidgetPrompts prompts;
        AppState s(dir.path(), port, clock, prompts);
        suivreActionsOperateur(*qApp, s);
        QStringList redFirst; // the lamp's hook runs before each box
        s.avantEchecPort = [&] { redFirst << "red"; };

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
        QCOMPARE(boxes.size(), 3);
        QCOMPARE(redFirst.size(), 3);
        QVERIFY2(boxes[0].contains("\"/dev/tav-unplugged\"") &&
                     boxes[0].contains("Check that the device exists"),
                 qPrintable(boxes[0]));
    }
};

QTEST_MAIN(TestOperatorActions)
#include "test_operator_actions.moc"
