#include "support/BoardRig.h"
#include "ui/main/FrmSupervision.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace tav;

namespace {

struct Fixture : test::BoardRig {
    QString stored(const QString& key) const { return LireIni(s.langueIni(), "ValueSupervision", key); }
    void store(const QString& key, const QString& v) { EcrireIni(s.langueIni(), "ValueSupervision", key, v); }
    QByteArray langueBytes() const { return test::fileBytes(s.langueIni()); }
};

} // namespace

class TestFrmSupervision : public QObject {
    Q_OBJECT
private slots:
    void loadsStoredValuesElseItsOwn() {
        Fixture f;
        for (const char* key : {"TxtTimeoutValue", "TxtrefreshValue", "TxtRepeatCycle"})
            f.store(key, QString());
        {
            FrmSupervision w(f.s);
            QCOMPARE(w.TxtTimeoutValue->text(), QStringLiteral("250"));
            QCOMPARE(w.TxtRefreshValue->text(), QStringLiteral("250"));
            QCOMPARE(w.TxtRepeatCycle->text(), QStringLiteral("3"));
            QVERIFY(!w.CheckChrByChr->isChecked());
        }
        f.store("TxtTimeoutValue", "400");
        f.store("TXTREFRESHVALUE", "1200"); // keys in any letter case
        f.store("TxtRepeatCycle", "1");
        f.store("CheckChrByChr", "1");
        FrmSupervision w(f.s);
        QCOMPARE(w.TxtTimeoutValue->text(), QStringLiteral("400"));
        QCOMPARE(w.TxtRefreshValue->text(), QStringLiteral("1200"));
        QCOMPARE(w.TxtRepeatCycle->text(), QStringLiteral("1"));
        QVERIFY(w.CheckChrByChr->isChecked());
    }

    void validateStoresAsTyped() {
        Fixture f;
        f.prompts.messagesAreUnexpected = true;
        f.store("CheckChrByChr", "1");
        FrmSupervision w(f.s);
        QSignalSpy accepted(&w, &QDialog::accepted);
        w.TxtTimeoutValue->setText("0300");
        w.TxtRefreshValue->setText("70000");
        w.TxtRepeatCycle->setText("0"); // zero repeats: one attempt
        w.CheckChrByChr->setChecked(false);
        QTest::mouseClick(w.BoutonValider, Qt::LeftButton);
        QCOMPARE(accepted.count(), 1);
        QCOMPARE(f.stored("TxtTimeoutValue"), QStringLiteral("0300"));
        QCOMPARE(f.stored("TxtRefreshValue"), QStringLiteral("70000"));
        QCOMPARE(f.stored("TxtRepeatCycle"), QStringLiteral("0"));
        QCOMPARE(f.stored("CheckChrByChr"), QStringLiteral("0"));
        QCOMPARE(f.s.TempsTimeout, qint16(300));
        QCOMPARE(f.s.TempsRafraichissement, 70000);
        QCOMPARE(f.s.NbRepetitions, qint16(0));
    }

    void badEntriesAreRefused_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("typed");
        QTest::newRow("time-out with letters") << "TxtTimeoutValue" << "12abc";
        QTest::newRow("time-out beyond 16 bits") << "TxtTimeoutValue" << "32768";
        QTest::newRow("time-out zero") << "TxtTimeoutValue" << "0";
        QTest::newRow("decimal refresh") << "TxtRefreshValue" << "250.5";
        QTest::newRow("refresh beyond 32 bits") << "TxtRefreshValue" << "2147483648";
        QTest::newRow("negative repeats") << "TxtRepeatCycle" << "-1";
        QTest::newRow("repeats beyond 16 bits") << "TxtRepeatCycle" << "99999";
    }
    void badEntriesAreRefused() {
        QFETCH(QString, box);
        QFETCH(QString, typed);
        Fixture f;
        const QByteArray before = f.langueBytes();
        FrmSupervision w(f.s);
        QSignalSpy accepted(&w, &QDialog::accepted);
        w.CheckChrByChr->setChecked(true);
        w.TxtTimeoutValue->setText("500");
        w.findChild<QLineEdit*>(box)->setText(typed);
        w.BoutonValider_Click();
        QCOMPARE(accepted.count(), 0);
        QCOMPARE(f.prompts.shown.size(), 1);
        QVERIFY(f.prompts.shown[0].text.contains("whole number"));
        QCOMPARE(f.prompts.shown[0].icon, PromptIcon::Critical);
        QCOMPARE(f.langueBytes(), before);
        QCOMPARE(f.s.TempsTimeout, qint16(200));
        QCOMPARE(f.s.NbRepetitions, qint16(3));
        // Exit after the refusal stores nothing either.
        QSignalSpy rejected(&w, &QDialog::rejected);
        QTest::mouseClick(w.BoutonExit, Qt::LeftButton);
        QCOMPARE(rejected.count(), 1);
        QCOMPARE(f.langueBytes(), before);
    }
};

QTEST_MAIN(TestFrmSupervision)
#include "test_frm_supervision.moc"
