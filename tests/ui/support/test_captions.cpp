// Captions from the language file and tooltips (with the commands they name) from the
// settings' catalogues.
#include "core/link/Catalogue.h"
#include "core/link/Exchange.h"
#include "support/BoardRig.h"
#include "ui/support/TextLoader.h"
#include "ui/support/Tooltips.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <array>

using namespace tav;
using Fixture = tav::test::BoardRig;

class TestCaptions : public QObject {
    Q_OBJECT
private slots:
    // Every kind of control gets its caption; a key that is missing, a range or a language
    // without a section gives the empty caption, never the built-in one.
    void captions() {
        Fixture f;
        {
            IniBatch ini(f.s.langueIni());
            ini.write("frmdemoen", "TITRE", "Demo window");
            for (const auto& [key, text] :
                 {std::pair{"grplabel_0", "Zero"}, {"grplabel_1", "One"}, {"grplabel_3", "Three"},
                  {"checkenregistrement", "Log"}, {"BoutonValider", "Validate"},
                  {"tab_1", "Second"}, {"fichier", "File"}, {"quitter", "Exit"}})
                ini.write("FrmDemoEn", key, text);
            QVERIFY(ini.commit());
        }
        QWidget window;
        QCheckBox check("built-in", &window);
        check.setObjectName("CheckEnregistrement");
        QPushButton valider("built-in", &window);
        valider.setObjectName("BoutonValider");
        QMenu menu("Fichier", &window);
        QAction* quitter = menu.addAction("Quitter");
        std::array<QLabel*, 5> grplabel{};
        for (QLabel*& l : grplabel)
            l = new QLabel("built-in", &window);
        QTabWidget onglet(&window);
        for (int i = 0; i < 3; ++i)
            onglet.addTab(new QWidget, "built-in");

        const TextLoader t(f.s, "FrmDemo");
        t.title(&window);
        t.named({&check, &valider}); // keys named like the controls, any letter case
        t.caption(&menu, "fichier");
        t.caption(quitter, "quitter");
        t.family(grplabel, "grplabel_", 1, 3); // an index past the array is ignored
        t.family(grplabel, "grplabel_", 7, 9);
        t.tabs(&onglet, "tab_", 0, 5);
        const QStringList got{window.windowTitle(), check.text(), valider.text(), menu.title(),
                              quitter->text(), grplabel[0]->text(), grplabel[1]->text(),
                              grplabel[2]->text(), grplabel[3]->text(), grplabel[4]->text(),
                              onglet.tabText(0), onglet.tabText(1)};
        QCOMPARE(got, (QStringList{"Demo window", "Log", "Validate", "File", "Exit", "built-in",
                                   "One", "", "Three", "built-in", "", "Second"}));

        // A list works as well as an array; null members are skipped.
        t.family(QList<QLabel*>{grplabel[4], nullptr}, "grplabel_");
        QCOMPARE(grplabel[4]->text(), QStringLiteral("Zero"));
        f.s.LangueCourante = "De";
        const TextLoader german(f.s, "FrmDemo");
        german.title(&window);
        QCOMPARE(window.windowTitle(), QString());
    }

    void tooltipsNameTheirCommands() {
        Fixture f;
        QWidget window;
        std::array<QLineEdit*, 4> Txt{};
        const char* keys[] = {"7", "6", "1", "25"};
        for (int i = 0; i < 4; ++i) {
            Txt[i] = new QLineEdit(&window);
            Txt[i]->setToolTip(QString::fromLatin1(keys[i]));
        }
        QLabel label, missing, none;
        label.setToolTip("32");
        missing.setToolTip("99");
        loadTooltips(f.s, kWriteSyn, Txt);
        loadTooltips(f.s, kReadSyn, {&label, &missing, &none, nullptr});
        QCOMPARE(Txt[3]->toolTip(), QStringLiteral("OPM (Set power limit)"));
        QCOMPARE(mnemonicOf(Txt[0]) + mnemonicOf(Txt[2]), QStringLiteral("SOPIPT"));
        QCOMPARE(label.toolTip(), QStringLiteral("OPM (Read power limit)"));
        // A missing key leaves no tooltip and so no command.
        QCOMPARE(missing.toolTip() + mnemonicOf(&none) + mnemonicOf(nullptr), QString());
        // Re-assigning a key at run time (the panel's reading labels on a tab change).
        assignTooltip(f.s, kReadSyn, &label, 9);
        QCOMPARE(mnemonicOf(&label), QStringLiteral("OPW"));
        // A tooltip without a blank names no command.
        EcrireIni(f.s.generalIni(), kReadSyn, "2", "VER");
        assignTooltip(f.s, kReadSyn, &label, 2);
        QCOMPARE(label.toolTip() + '|' + mnemonicOf(&label), QStringLiteral("VER|"));

        // An edited catalogue changes the command sent.
        EcrireIni(f.s.generalIni(), kWriteSyn, "7", "XOP (Set output power, another way)");
        Txt[0]->setToolTip("7");
        loadTooltip(f.s, kWriteSyn, Txt[0]);
        f.port.responder = [](const QByteArray&) { return std::optional<QByteArray>("XOP!"); };
        QVERIFY(EnvoyerCommande(f.s, mnemonicOf(Txt[0]) + "=150").contains('!'));
        QCOMPARE(f.port.receivedLines(), (QList<QByteArray>{"XOP=150"}));
    }
};

QTEST_MAIN(TestCaptions)
#include "test_captions.moc"
