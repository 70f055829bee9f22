#include "core/AppState.h"
#include "core/link/Exchange.h"
#include "core/poll/Poll.h"
#include "core/settings/Defaults.h"
#include "core/settings/Ini.h"
#include "core/translation/DefaultTexts.h"
#include "support/ScriptedPort.h"
#include "support/ScriptedPrompts.h"
#include "ui/main/FrmSupervision.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace tav;

namespace {

const QString kVs = QStringLiteral("ValueSupervision");

struct Fixture {
    QTemporaryDir dir;
    test::ManualClock clock;
    test::ScriptedPort port{clock};
    test::ScriptedPrompts prompts;
    AppState s{dir.path(), port, clock, prompts};

    Fixture() {
        EcrireParametresDefaut(dir.path());
        EcrireTextesDefaut(s.langueIni());
        EcrireIni(s.langueIni(), kVs, QStringLiteral("Langue"), QStringLiteral("En"));
    }
    QString stored(const QString& key) const { return LireIni(s.langueIni(), kVs, key); }
    void store(const QString& key, const QString& v) { EcrireIni(s.langueIni(), kVs, key, v); }
};

} // namespace

class TestFrmSupervision : public QObject {
    Q_OBJECT
private slots:
    void loadsDefaultsThenStoredValues();
    void validateStoresAsTyped();
    void zeroRepeatsMeansOneAttempt();
    void badEntriesAreRefused_data();
    void badEntriesAreRefused();
    void exitStoresNothing();
};

void TestFrmSupervision::loadsDefaultsThenStoredValues() {
    Fixture f;
    // The default writers give the three values; without them the window shows its own.
    for (const char* key : {"TxtTimeoutValue", "TxtrefreshValue", "TxtRepeatCycle"})
        f.store(QString::fromLatin1(key), QString());
    {
        FrmSupervision w(f.s);
        QCOMPARE(w.objectName(), QStringLiteral("FrmSupervision"));
        QCOMPARE(w.TxtTimeoutValue->text(), QStringLiteral("250"));
        QCOMPARE(w.TxtRefreshValue->text(), QStringLiteral("250"));
        QCOMPARE(w.TxtRepeatCycle->text(), QStringLiteral("3"));
        QVERIFY(!w.CheckChrByChr->isChecked());
        QCOMPARE(w.findChild<QGroupBox*>(QStringLiteral("grpframe_0"))->title(),
                 QStringLiteral("Refresh Screen Timing"));
        QCOMPARE(w.findChild<QPushButton*>(QStringLiteral("BoutonValider"))->text(),
                 QStringLiteral("Validate"));
    }
    f.store(QStringLiteral("TxtTimeoutValue"), QStringLiteral("400"));
    f.store(QStringLiteral("TXTREFRESHVALUE"), QStringLiteral("1200"));
    f.store(QStringLiteral("TxtRepeatCycle"), QStringLiteral("1"));
    f.store(QStringLiteral("CheckChrByChr"), QStringLiteral("1"));
    FrmSupervision w(f.s);
    QCOMPARE(w.TxtTimeoutValue->text(), QStringLiteral("400"));
    QCOMPARE(w.TxtRefreshValue->text(), QStringLiteral("1200"));
    QCOMPARE(w.TxtRepeatCycle->text(), QStringLiteral("1"));
    QVERIFY(w.CheckChrByChr->isChecked());
}

void TestFrmSupervision::validateStoresAsTyped() {
    Fixture f;
    f.prompts.messagesAreUnexpected = true;
    f.store(QStringLiteral("CheckChrByChr"), QStringLiteral("1"));
    FrmSupervision w(f.s);
    QSignalSpy accepted(&w, &QDialog::accepted);
    w.TxtTimeoutValue->setText(QStringLiteral("0300"));
    w.TxtRefreshValue->setText(QStringLiteral("70000"));
    w.TxtRepeatCycle->setText(QStringLiteral(" 2"));
    w.CheckChrByChr->setChecked(false);
    QTest::mouseClick(w.BoutonValider, Qt::LeftButton);
    QCOMPARE(accepted.count(), 1);

    QCOMPARE(f.stored(QStringLiteral("TxtTimeoutValue")), QStringLiteral("0300"));
    QCOMPARE(f.stored(QStringLiteral("TxtRefreshValue")), QStringLiteral("70000"));
    QCOMPARE(f.stored(QStringLiteral("TxtRepeatCycle")), QStringLiteral(" 2"));
    QCOMPARE(f.stored(QStringLiteral("CheckChrByChr")), QStringLiteral("0"));
    QCOMPARE(f.s.TempsTimeout, qint16(300));
    QCOMPARE(f.s.TempsRafraichissement, 70000);
    QCOMPARE(f.s.NbRepetitions, qint16(2));

    // The period above 65535 ms is kept as typed and used as 65535 ms.
    Poll poll(f.s);
    poll.start();
    QCOMPARE(poll.period(), 65535);
    poll.stop();
}

void TestFrmSupervision::zeroRepeatsMeansOneAttempt() {
    Fixture f;
    f.prompts.messagesAreUnexpected = true;
    FrmSupervision w(f.s);
    w.TxtRepeatCycle->setText(QStringLiteral("0"));
    w.BoutonValider_Click();
    QCOMPARE(f.s.NbRepetitions, qint16(0));

    f.port.silence();
    f.port.silence();
    QCOMPARE(EnvoyerCommande(f.s, QStringLiteral("SNU?")), QString());
    QCOMPARE(f.port.lines, (QList<QByteArray>{"SNU?\r"}));
}

void TestFrmSupervision::badEntriesAreRefused_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("typed");
    QTest::newRow("empty time-out") << "TxtTimeoutValue" << "";
    QTest::newRow("time-out with letters") << "TxtTimeoutValue" << "12abc";
    QTest::newRow("time-out beyond 16 bits") << "TxtTimeoutValue" << "32768";
    QTest::newRow("time-out zero") << "TxtTimeoutValue" << "0";
    QTest::newRow("decimal refresh") << "TxtRefreshValue" << "250.5";
    QTest::newRow("negative refresh") << "TxtRefreshValue" << "-250";
    QTest::newRow("refresh beyond 32 bits") << "TxtRefreshValue" << "2147483648";
    QTest::newRow("blank repeats") << "TxtRepeatCycle" << "   ";
    QTest::newRow("negative repeats") << "TxtRepeatCycle" << "-1";
    QTest::newRow("repeats beyond 16 bits") << "TxtRepeatCycle" << "99999";
}

void TestFrmSupervision::badEntriesAreRefused() {
    QFETCH(QString, box);
    QFETCH(QString, typed);
    Fixture f;
    const QString beforeFile = [&] {
        QFile file(f.s.langueIni());
        file.open(QIODevice::ReadOnly);
        return QString::fromLatin1(file.readAll());
    }();
    FrmSupervision w(f.s);
    QSignalSpy accepted(&w, &QDialog::accepted);
    w.CheckChrByChr->setChecked(true);
    w.TxtTimeoutValue->setText(QStringLiteral("500"));
    w.findChild<QLineEdit*>(box)->setText(typed);
    w.BoutonValider_Click();

    QCOMPARE(accepted.count(), 0);
    QCOMPARE(f.prompts.shown.size(), 1);
    QVERIFY(f.prompts.shown[0].text.contains(QLatin1String("whole number")));
    QCOMPARE(f.prompts.shown[0].icon, PromptIcon::Critical); // as every refused entry
    QFile file(f.s.langueIni());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromLatin1(file.readAll()), beforeFile);
    QCOMPARE(f.s.TempsTimeout, qint16(200));
    QCOMPARE(f.s.TempsRafraichissement, 50);
    QCOMPARE(f.s.NbRepetitions, qint16(3));
}

void TestFrmSupervision::exitStoresNothing() {
    Fixture f;
    f.prompts.messagesAreUnexpected = true;
    FrmSupervision w(f.s);
    QSignalSpy rejected(&w, &QDialog::rejected);
    w.TxtTimeoutValue->setText(QStringLiteral("999"));
    w.CheckChrByChr->setChecked(true);
    QTest::mouseClick(w.BoutonExit, Qt::LeftButton);
    QCOMPARE(rejected.count(), 1);
    QCOMPARE(f.stored(QStringLiteral("TxtTimeoutValue")), QStringLiteral("250"));
    QCOMPARE(f.stored(QStringLiteral("CheckChrByChr")), QString());
    QCOMPARE(f.s.TempsTimeout, qint16(200));
}

QTEST_MAIN(TestFrmSupervision)
#include "test_frm_supervision.moc"
