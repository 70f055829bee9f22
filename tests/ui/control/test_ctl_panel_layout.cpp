#include "ControlRig.h"

#include "support/Columns.h"

#include "ui/support/Tabs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QStyleFactory>
#include <QtTest>

using namespace tav;
using namespace tav::test;

namespace {

// Everything cut or covered in a window as laid out now: a visible widget outside its parent or
// on a visible sibling, a caption narrower than its text, a button or frame smaller than it needs.
QStringList layoutFaults(const QWidget* window) {
    QStringList faults;
    for (const QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(window)) continue;
        const QString name = w->objectName().isEmpty() ? w->metaObject()->className() : w->objectName();
        if (!w->parentWidget()->rect().contains(w->geometry())) faults << name + " clipped";
        const QObjectList& siblings = w->parentWidget()->children();
        for (qsizetype i = siblings.indexOf(w) + 1; i < siblings.size(); ++i) {
            const auto* other = qobject_cast<const QWidget*>(siblings[i]);
            if (other && other->isVisibleTo(window) && other->geometry().intersects(w->geometry()))
                faults << name + " overlaps " + other->objectName();
        }
        const auto* label = qobject_cast<const QLabel*>(w);
        const int m = label ? label->margin() : 0;
        const QRect room = w->contentsRect().adjusted(m, m, -m, -m);
        if (label && (label->fontMetrics().horizontalAdvance(label->text()) > room.width() ||
                      label->fontMetrics().height() > room.height()))
            faults << name + " cuts \"" + label->text() + "\"";
        const bool frame = qobject_cast<const QGroupBox*>(w);
        const QSize least = frame ? w->minimumSizeHint() : w->sizeHint();
        if ((frame || qobject_cast<const QAbstractButton*>(w)) &&
            (w->width() < least.width() || w->height() < least.height()))
            faults << name + " squeezed";
    }
    return faults;
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

    // The mode and threshold pages with eye safety (the most rows) and the link-failure page,
    // at the window's minimum size.
    void nothingCutAtTheMinimumSize_data() {
        columns<int>({"tab"}); // -1: the link failed
        QTest::newRow("mode tab") << 0;
        QTest::newRow("thresholds tab") << 4;
        QTest::newRow("link failure") << -1;
    }
    void nothingCutAtTheMinimumSize() {
        QFETCH(int, tab);
        ControlRig rig;
        rig.storeEyeSafety("1");
        if (tab < 0) rig.refuse("SNU?", {});
        auto w = tab < 0 ? rig.open() : rig.openAndRead();
        if (tab >= 0) {
            w->RafraichirEtatPanneau(); // readings, date and status texts as the poll shows them
            w->OngletPilotage->setCurrentIndex(tab);
            w->Txt[tab == 4 ? 2 : 0]->setText("-25");
            w->Txt_Enter(tab == 4 ? 2 : 0); // a clamp notice on the page shown
        }
        w->show();
        w->layout()->activate();
        w->resize(w->minimumSize());
        QTRY_COMPARE(w->size(), w->minimumSize());
        const QStringList faults = layoutFaults(w.get());
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));
    }
};

QTEST_MAIN(TestCtlPanelLayout)
#include "test_ctl_panel_layout.moc"
