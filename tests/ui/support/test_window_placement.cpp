// Every window opens where it can be used, on a 1280x800 and a 1600x1000 screen, in both
// variants; the menu bar never folds after a variant switch.
#include "core/settings/Variant.h"
#include "support/BoardRig.h"
#include "support/Columns.h"
#include "support/Modal.h"
#include "ui/main/FrmPrincipale.h"
#include "ui/support/WindowPlacement.h"

#include <QMenuBar>
#include <QScreen>
#include <QToolButton>
#include <QtTest>

#include <cstdio>
#include <sys/wait.h>
#include <unistd.h>

using namespace tav;
using namespace tav::test;

namespace {

QRect area() {
    return QGuiApplication::primaryScreen()->availableGeometry();
}

bool inside(const QWidget* w) {
    return area().contains(w->frameGeometry());
}

} // namespace

class TestWindowPlacement : public QObject {
    Q_OBJECT
private slots:
    void rules_data() {
        columns<QRect, QPoint>({"window", "at"});
        QTest::newRow("inside: kept") << QRect(100, 50, 400, 300) << QPoint(100, 50);
        QTest::newRow("off the bottom right")
            << QRect(1000, 700, 400, 300) << QPoint(1280 - 400, 800 - 300);
        QTest::newRow("larger than the area") << QRect(-50, -80, 1400, 900) << QPoint(0, 0);
    }
    void rules() {
        QTEST(keptInside(fetch<QRect>("window"), QRect(0, 0, 1280, 800)), "at");
    }

    void variants_data() {
        QTest::addColumn<bool>("internal");
        QTest::newRow("customer") << false;
        QTest::newRow("internal") << true;
    }
    void variants() {
        BoardRig rig;
        const bool internal = fetch<bool>("internal");
        if (internal) QVERIFY(EcrireMarqueurUsine(rig.dir.path()));
        EcrireIni(rig.s.langueIni(), "ValueSupervision", "CheckOptions", "3");
        FrmPrincipale main(rig.s);
        main.Form_Load();
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        const auto folded = [&main] {
            auto* chevron = main.menuBar()->findChild<QToolButton*>("qt_menubar_ext_button");
            return chevron && chevron->isVisible();
        };

        // The serial-flow and manual-command windows stay off the main window's menu bar.
        const QRect bar(main.menuBar()->mapToGlobal(QPoint()), main.menuBar()->size());
        for (QWidget* w : {main.fluxWindow.data(), main.manualCommandWindow.data()}) {
            QVERIFY(w && inside(w));
            QVERIFY2(!w->frameGeometry().intersects(bar), qPrintable(w->objectName()));
        }

        // A variant switch widens the window about its centre, inside the screen.
        if (!internal) {
            const int centre = main.frameGeometry().center().x();
            main.MontrerEntreesUsine();
            QCoreApplication::processEvents();
            QVERIFY(!folded() && inside(&main));
            QVERIFY(qAbs(main.frameGeometry().center().x() - centre) <= 1 ||
                    main.frameGeometry().left() == area().left() ||
                    main.frameGeometry().right() == area().right());
            main.Passerlesoftenmodeclient_Click(); // never shrinks
            QVERIFY(main.width() >= main.menuBar()->sizeHint().width());
        }
        QVERIFY(!folded());

        // The large windows, and a modal one, lie wholly inside the available area.
        main.Configuration_Click();
        QVERIFY(main.manualConfigWindow && inside(main.manualConfigWindow));
        main.manualConfigWindow->close();
        main.ChoixAsservissement_Click();
        QVERIFY(main.controlPanelWindow && inside(main.controlPanelWindow));
        main.controlPanelWindow->close();
        main.SuperviserData_Click();
        QVERIFY(main.supervisionDataWindow && inside(main.supervisionDataWindow));
        bool modalInside = false;
        inNextModal([&modalInside](QWidget* modal) {
            modalInside = inside(modal);
            modal->close();
        });
        main.Liaisonserie_Click();
        QVERIFY(modalInside);
    }
};

// Runs the suite once per screen size, each in a child on an offscreen screen of that size.
int main(int argc, char** argv) {
    if (const char* size = std::getenv("TAV_TEST_SCREEN")) {
        QApplication app(argc, argv);
        std::fprintf(stderr, "Screen %s\n", size);
        TestWindowPlacement test;
        return QTest::qExec(&test, argc, argv);
    }
    int failed = 0;
    for (const char* size : {"1280x800", "1600x1000"}) {
        char config[] = "/tmp/tav-screen-XXXXXX";
        const int fd = ::mkstemp(config);
        if (fd < 0) return 1;
        int w = 0, h = 0;
        std::sscanf(size, "%dx%d", &w, &h);
        const QByteArray json = QStringLiteral("{\"screens\":[{\"name\":\"S\",\"x\":0,\"y\":0,"
                                               "\"width\":%1,\"height\":%2,\"logicalDpi\":96}]}")
                                    .arg(w)
                                    .arg(h)
                                    .toUtf8();
        const bool written = ::write(fd, json.constData(), size_t(json.size())) == json.size();
        ::close(fd);
        ::setenv("TAV_TEST_SCREEN", size, 1);
        ::setenv("QT_QPA_PLATFORM", (QByteArray("offscreen:configfile=") + config).constData(), 1);
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::execv("/proc/self/exe", argv);
            _exit(127);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        ::unlink(config);
        failed += !written || !WIFEXITED(status) || WEXITSTATUS(status) != 0;
    }
    return failed;
}

#include "test_window_placement.moc"
