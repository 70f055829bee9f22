// The pieces the windows are built from: sheet and slider, captions and tooltips, and the
// real dialogs (keys an operator presses without reading, one port-failure box per action).
#include "core/link/Catalogue.h"
#include "core/link/Exchange.h"
#include "support/BoardRig.h"
#include "support/NullPort.h"
#include "ui/main/FrmMotDePasse.h"
#include "ui/support/Grid.h"
#include "ui/support/OperatorActions.h"
#include "ui/support/Slider.h"
#include "ui/support/TextLoader.h"
#include "ui/support/Tooltips.h"
#include "ui/support/WidgetPrompts.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include <array>

using namespace tav;

class TestWidgets : public QObject {
    Q_OBJECT
private slots:
    void gridCellsAppearanceEditabilityAndScrolling() {
        Grid g;
        g.setColumnCount(3);
        g.setRowCount(5);
        g.setCellText(0, 3, QStringLiteral("Monitoring"));
        QCOMPARE(g.model()->headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(), "Monitoring");
        QCOMPARE(g.lastRowWithData(), 0); // the header row is not data
        QVERIFY(g.setCellText(4, 2, QStringLiteral("RP2")));
        QCOMPARE(g.model()->data(g.model()->index(3, 1)).toString(), QStringLiteral("RP2"));
        // Outside the grid: ignored.
        for (const QPoint& rc : {QPoint(6, 1), QPoint(1, 4), QPoint(1, 0), QPoint(-1, 1)})
            QVERIFY(!g.setCellText(rc.x(), rc.y(), QStringLiteral("x")));
        QCOMPARE(g.lastRowWithData(), 4);

        g.setCellText(2, 3, QStringLiteral("X"));
        g.setCellStatic(2, 3, true);
        g.setCellCentered(2, 3, true);
        g.setCellColor(2, 3, QColor(255, 0, 0));
        QAbstractItemModel* m = g.model();
        const QModelIndex marked = m->index(1, 2), plain = m->index(1, 1);
        QCOMPARE(m->data(marked, Qt::ForegroundRole).value<QColor>(), QColor(255, 0, 0));
        QVERIFY(!m->data(plain, Qt::ForegroundRole).isValid());
        QVERIFY(m->data(marked, Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignHCenter);
        QVERIFY(!(m->flags(marked) & Qt::ItemIsEditable) && (m->flags(plain) & Qt::ItemIsEditable));
        // The operator's edit goes through the model like any write.
        QVERIFY(m->setData(plain, QStringLiteral("typed"), Qt::EditRole));
        QCOMPARE(g.cellText(2, 2), QStringLiteral("typed"));
        g.setReadOnly(true);
        QVERIFY(!(m->flags(plain) & Qt::ItemIsEditable));
        g.setRowCount(1); // appearance leaves with its rows
        g.setRowCount(1000);
        QVERIFY(!g.isCellCentered(2, 3));

        // The sheet scrolls to the cell asked for, at the top when told so.
        g.resize(400, 300);
        g.show();
        QVERIFY(QTest::qWaitForWindowExposed(&g));
        g.goToCell(270, 1, true);
        QCOMPARE(g.activeRow() * 10 + g.activeCol(), 2701);
        QCOMPARE(g.rowAt(0), 269);
        g.goToCell(900, 2);
        QVERIFY(g.viewport()->rect().contains(g.visualRect(g.model()->index(899, 1))));
    }

    // Values the program sets (the panels check they raise no event).
    void sliderProgramChanges() {
        NumericSlider s(2, nullptr);
        s.setRange(0, 15.5);
        s.setValue(12.3);
        QCOMPARE(s.value(), 12.3); // kept as set, not snapped
        s.setMaximum(10);          // pulls the value inside the new range
        QCOMPARE(s.value(), 10.0);
        s.setMinimum(20); // crossing bounds push the other one
        QCOMPARE(s.maximum(), 20.0);
        s.setRange(0, -10); // a reversed pair of stored bounds still spans an axis
        QCOMPARE(s.minimum() * 100 + s.maximum(), -1000.0);
        s.setValue(-5);
        s.setValue(qQNaN());
        QCOMPARE(s.value(), -5.0);
        // Any size paints, a single value too.
        s.setRange(4, 4);
        s.setMajorDivisions(0);
        QCOMPARE(s.majorDivisions(), 1);
        s.resize(10, 10);
        QVERIFY(!s.grab().isNull());
    }

    // Keys from a value the program set off the grid go to the neighbouring grid value; the
    // mouse clicks and drags; a read-only gauge and an unfocused slider ignore the operator.
    void sliderOperatorInput() {
        NumericSlider s(1, nullptr);
        s.setRange(7.3, 20);
        s.setStep(0.5);
        s.resize(300, s.sizeHint().height());
        s.show();
        QVERIFY(QTest::qWaitForWindowExposed(&s));
        QSignalSpy spy(&s, &NumericSlider::valueChanged);
        for (const auto& [key, to] : {std::pair{Qt::Key_Right, 7.5}, {Qt::Key_Left, 7.3}}) {
            s.setValue(7.33);
            QTest::keyClick(&s, key);
            QCOMPARE(s.value(), to); // 7.0 lies below the minimum
        }
        QTest::keyClick(&s, Qt::Key_Left); // already at the minimum: no event
        QCOMPARE(spy.size(), 2);
        s.setRange(0, 10);
        QTest::mouseClick(&s, Qt::LeftButton, {}, QPoint(s.width() - 1, 10));
        QCOMPARE(s.value(), 10.0);
        QTest::mousePress(&s, Qt::LeftButton, {}, QPoint(s.width() / 2, 10));
        QTest::mouseMove(&s, QPoint(0, 10));
        QTest::mouseRelease(&s, Qt::LeftButton, {}, QPoint(0, 10));
        QCOMPARE(spy.last().at(1).toDouble(), 0.0);

        spy.clear();
        s.setReadOnly(true); // a progress gauge
        QTest::keyClick(&s, Qt::Key_Right);
        QTest::mouseClick(&s, Qt::LeftButton, {}, QPoint(s.width() - 1, 10));
        s.setReadOnly(false);
        const auto wheel = [&s] {
            QWheelEvent e(QPointF(50, 10), s.mapToGlobal(QPointF(50, 10)), {}, QPoint(0, 120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(&s, &e);
        };
        s.clearFocus();
        wheel();
        QCOMPARE(spy.size(), 0);
        s.setFocus();
        wheel();
        QCOMPARE(s.value(), 0.5);
    }

    // Every kind of control gets its caption; a key that is missing, a range or a language
    // without a section gives the empty caption, never the built-in one.
    void captions() {
        test::BoardRig f;
        {
            IniBatch ini(f.s.langueIni());
            ini.write("frmdemoen", "TITRE", "Demo window");
            for (const auto& [key, text] :
                 {std::pair{"grplabel_0", "Zero"}, {"grplabel_1", "One"}, {"grplabel_3", "Three"},
                  {"checkenregistrement", "Log"}, {"BoutonValider", "Validate"}})
                ini.write("FrmDemoEn", key, text);
            QVERIFY(ini.commit());
        }
        QWidget window;
        QCheckBox check("built-in", &window);
        check.setObjectName("CheckEnregistrement");
        QPushButton valider("built-in", &window);
        valider.setObjectName("BoutonValider");
        std::array<QLabel*, 5> grplabel{};
        for (QLabel*& l : grplabel)
            l = new QLabel("built-in", &window);

        const TextLoader t(f.s, "FrmDemo");
        t.title(&window);
        t.named({&check, &valider}); // keys named like the controls, any letter case
        t.family(grplabel, "grplabel_", 1, 3); // an index past the array is ignored
        t.family(grplabel, "grplabel_", 7, 9);
        QStringList got{window.windowTitle(), check.text(), valider.text()};
        for (const QLabel* l : grplabel) got << l->text();
        QCOMPARE(got, (QStringList{"Demo window", "Log", "Validate", "built-in", "One", "", "Three",
                                   "built-in"}));
        // A list works as well as an array; null members are skipped.
        t.family(QList<QLabel*>{nullptr, grplabel[4]}, "grplabel_");
        QCOMPARE(grplabel[4]->text(), QStringLiteral("One"));

        f.s.LangueCourante = "De";
        const TextLoader german(f.s, "FrmDemo");
        german.title(&window);
        QCOMPARE(window.windowTitle(), QString());
    }

    // The panels send the command their controls' tooltips name (their own tests cover that);
    // here what names none.
    void tooltipsNameTheirCommands() {
        test::BoardRig f;
        QLabel label, missing, none;
        label.setToolTip("32");
        missing.setToolTip("99");
        loadTooltips(f.s, kReadSyn, {&label, &missing, &none, nullptr});
        QCOMPARE(label.toolTip() + '|' + mnemonicOf(&label), "OPM (Read power limit)|OPM");
        // A missing key leaves no tooltip and so no command.
        QCOMPARE(missing.toolTip() + mnemonicOf(&none) + mnemonicOf(nullptr), QString());
        // A tooltip without a blank names no command.
        EcrireIni(f.s.generalIni(), kReadSyn, "2", "VER");
        assignTooltip(f.s, kReadSyn, &label, 2);
        QCOMPARE(label.toolTip() + '|' + mnemonicOf(&label), QStringLiteral("VER|"));
    }

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
        dlg.show();
        // A wrong password: one message, the box emptied, the window stays; OK checks as Enter
        // does.
        QTest::keyClicks(dlg.TxtPWD, "wrong");
        QTest::keyClick(dlg.TxtPWD, Qt::Key_Return);
        QCOMPARE(rig.prompts.messageTexts(), QStringList({"Invalid password."}));
        QVERIFY(dlg.isVisible() && dlg.TxtPWD->text().isEmpty() && !rig.s.MotDePasseValide);
        dlg.TxtPWD->setText("QUILTA");
        dlg.findChild<QPushButton*>("ok")->click();
        QVERIFY(rig.s.MotDePasseValide && !dlg.isVisible() && dlg.result() == QDialog::Accepted);
        // Cancel closes without a password.
        FrmMotDePasse again(rig.s);
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

QTEST_MAIN(TestWidgets)
#include "test_widgets.moc"
