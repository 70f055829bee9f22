#include "ControlRig.h"

#include "ui/Columns.h"

#include "ui/support/Tabs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QToolButton>
#include <QStyleFactory>
#include <QtTest>

using namespace tav;
using namespace tav::test;

namespace {

QString nameOf(const QWidget* w) {
    return w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className())
                                     : w->objectName();
}

// Everything that is cut or covered in a window as it is laid out now: a visible widget
// outside its parent, two visible siblings on each other, a caption narrower than its text, a
// button or frame smaller than its own minimum.
QStringList layoutFaults(const QWidget* window) {
    QStringList faults;
    for (const QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(window)) continue;
        const QWidget* parent = w->parentWidget();
        if (!parent->rect().contains(w->geometry()))
            faults << nameOf(w) + " clipped by " + nameOf(parent);
        const QObjectList& siblings = parent->children();
        for (qsizetype i = siblings.indexOf(w) + 1; i < siblings.size(); ++i) {
            const auto* other = qobject_cast<const QWidget*>(siblings[i]);
            if (other && other->isVisibleTo(window) && other->geometry().intersects(w->geometry()))
                faults << nameOf(w) + " overlaps " + nameOf(other);
        }
        if (const auto* label = qobject_cast<const QLabel*>(w)) {
            const int m = label->margin();
            const QRect room = label->contentsRect().adjusted(m, m, -m, -m);
            const QFontMetrics fm = label->fontMetrics();
            if (fm.horizontalAdvance(label->text()) > room.width() || fm.height() > room.height())
                faults << nameOf(w) + " cuts \"" + label->text() + "\"";
        } else if (qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QGroupBox*>(w)) {
            const QSize least = qobject_cast<const QGroupBox*>(w) ? w->minimumSizeHint()
                                                                   : w->sizeHint();
            if (w->width() < least.width() || w->height() < least.height())
                faults << nameOf(w) + " squeezed";
        }
    }
    return faults;
}

// Shows the window at its minimum size.
void showAtMinimum(QWidget* w) {
    w->show();
    w->layout()->activate();
    w->resize(w->minimumSize());
    QTRY_COMPARE(w->size(), w->minimumSize());
}

} // namespace

class TestCtlPanelLayout : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        // The same style and font everywhere (the set-up installs DejaVu).
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        const QFont font(QStringLiteral("DejaVu Sans"), 9);
        QCOMPARE(QFontInfo(font).family(), QStringLiteral("DejaVu Sans"));
        QApplication::setFont(font);
    }

    void nothingCutAtTheMinimumSize_data() {
        columns<int, bool>({"tab", "eyeSafety"});
        for (int tab = 0; tab < 5; ++tab)
            for (bool on : {false, true})
                QTest::addRow("tab %d, eye safety %s", tab, on ? "on" : "off") << tab << on;
    }
    void nothingCutAtTheMinimumSize() {
        QFETCH(int, tab);
        QFETCH(bool, eyeSafety);
        ControlRig rig;
        rig.storeEyeSafety(eyeSafety ? "1" : "0");
        auto w = rig.openAndRead();
        w->RafraichirEtatPanneau(); // readings, date and status texts as the poll shows them
        w->OngletPilotage->setCurrentIndex(tab);
        w->Txt[tab == 4 ? 2 : 0]->setText("-25");
        w->Txt_Enter(tab == 4 ? 2 : 0); // a clamp notice on the page shown
        showAtMinimum(w.get());
        const QStringList faults = layoutFaults(w.get());
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));
        // The eye-safety rows are shown only with eye safety, and take no room without it.
        QCOMPARE(w->Txt[3]->isVisibleTo(w.get()), tab == 4 && eyeSafety);
        QCOMPARE(w->ReadLabel[5]->isVisibleTo(w.get()), tab != 4 && eyeSafety);
    }

    // Eye safety adds its rows to the room the window has: the mode tabs keep their size.
    void eyeSafetyDoesNotGrowTheModeTabs() {
        ControlRig rig;
        auto w = rig.openAndRead();
        showAtMinimum(w.get());
        const QSize before = w->minimumSize();
        w->CheckActivateEyeSafety->click();
        w->layout()->activate();
        QCOMPARE(w->minimumSize(), before);
    }

    // The failure layout: the text and the exit button, in a window sized to them.
    void linkFailureLayoutFitsItsText() {
        ControlRig rig;
        rig.refuse("SNU?", {});
        auto w = rig.open();
        showAtMinimum(w.get());
        const QStringList faults = layoutFaults(w.get());
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));
        const QRect used = w->Message->geometry().united(w->BoutonExit->geometry());
        QCOMPARE(w->size(), w->sizeHint());
        QVERIFY2(w->height() - used.height() < 80, qPrintable(QString::number(w->height())));
    }
};

QTEST_MAIN(TestCtlPanelLayout)
#include "test_ctl_panel_layout.moc"
