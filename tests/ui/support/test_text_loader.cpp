#include "core/AppState.h"
#include "core/settings/Ini.h"
#include "support/ManualClock.h"
#include "support/ScriptedPrompts.h"
#include "ui/support/TextLoader.h"

#include "support/NullPort.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <array>

using namespace tav;

class TestTextLoader : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    test::NullPort port;
    test::ManualClock clock;
    test::ScriptedPrompts prompts;

    AppState state() { return AppState(dir.path(), port, clock, prompts); }

private slots:
    void initTestCase() {
        QVERIFY(dir.isValid());
        const QString f = dir.filePath("langue.ini");
        IniBatch ini(f);
        ini.write("frmdemoen", "TITRE", "Demo window");
        ini.write("FrmDemoEn", "grplabel_0", "Zero");
        ini.write("FrmDemoEn", "grplabel_1", "One");
        ini.write("FrmDemoEn", "grplabel_3", "Three");
        ini.write("FrmDemoEn", "checkenregistrement", "Log");
        ini.write("FrmDemoEn", "BoutonValider", "Validate");
        ini.write("FrmDemoEn", "tab_0", "First");
        ini.write("FrmDemoEn", "tab_1", "Second");
        ini.write("FrmDemoEn", "fichier", "File");
        ini.write("FrmDemoEn", "quitter", "Exit");
        QVERIFY(ini.commit());
    }

    void captionsOfEveryKindOfControl() {
        AppState st = state();
        QWidget window;
        QCheckBox check("built-in check", &window);
        check.setObjectName("CheckEnregistrement");
        QPushButton valider("built-in button", &window);
        valider.setObjectName("BoutonValider");
        QMenu menu("Fichier", &window);
        QAction* quitter = menu.addAction("Quitter");

        const TextLoader t(st, "FrmDemo");
        t.title(&window);
        t.named({&check, &valider}); // keys named like the controls, any letter case
        t.caption(&menu, "fichier");
        t.caption(quitter, "quitter");

        QCOMPARE(window.windowTitle(), QString("Demo window"));
        QCOMPARE(check.text(), QString("Log"));
        QCOMPARE(valider.text(), QString("Validate"));
        QCOMPARE(menu.title(), QString("File"));
        QCOMPARE(quitter->text(), QString("Exit"));
    }

    void familiesAndTabs() {
        AppState st = state();
        QWidget window;
        std::array<QLabel*, 5> grplabel{};
        for (std::size_t i = 0; i < grplabel.size(); ++i)
            grplabel[i] = new QLabel(QString("built-in %1").arg(i), &window);
        QTabWidget onglet(&window);
        for (int i = 0; i < 3; ++i)
            onglet.addTab(new QWidget, QString("Tab %1").arg(i));

        const TextLoader t(st, "FrmDemo");
        // Range 0..3 only, and an index past the array is ignored.
        t.family(grplabel, "grplabel_", 0, 3);
        t.family(grplabel, "grplabel_", 7, 9);
        t.tabs(&onglet, "tab_", 0, 5);

        QCOMPARE(grplabel[1]->text(), QString("One"));
        QCOMPARE(grplabel[2]->text(), QString()); // missing key: empty, not the built-in text
        QCOMPARE(grplabel[3]->text(), QString("Three"));
        QCOMPARE(grplabel[4]->text(), QString("built-in 4")); // outside the range
        QCOMPARE(onglet.tabText(1), QString("Second"));
        QCOMPARE(onglet.tabText(2), QString());

        // A list works as well as an array; null members are skipped.
        QList<QLabel*> list{grplabel[4], nullptr};
        t.family(list, "grplabel_");
        QCOMPARE(grplabel[4]->text(), QString("Zero"));

        // A language without a section: empty captions, not the built-in ones.
        st.LangueCourante = "De";
        window.setWindowTitle("built-in title");
        const TextLoader german(st, "FrmDemo");
        german.title(&window);
        german.caption(grplabel[4], "grplabel_0");
        QCOMPARE(window.windowTitle(), QString());
        QCOMPARE(grplabel[4]->text(), QString());
    }
};

QTEST_MAIN(TestTextLoader)
#include "test_text_loader.moc"
