#include "core/config/BoardReading.h"
#include "support/BoardRig.h"
#include "support/Columns.h"

#include <QtTest>

using namespace tav;
using namespace tav::test;

class TestBoardReading : public QObject {
    Q_OBJECT
private slots:
    // One answer replaced (empty: silence) on the board holding SOP 23.5 dBm: the value shown
    // for one mnemonic, the result, and the reads sent (34 in a full reading: SNU, VER, the 15
    // parameters, VER again, the 15 calibration and A/D values, ASS).
    void reading_data() {
        columns<QString, QString, bool, QString, QString, bool, int>(
            {"line", "answer", "all", "mnemonic", "shown", "ok", "sent"});
        QTest::newRow("SOP capped") << "PON?" << "PON=20.5" << true << "SOP" << "20" << true << 34;
        QTest::newRow("mode text") << "ASS?" << "ASS=4 on" << true << "ASS" << "" << true << 34;
        QTest::newRow("mode 7") << "ASS?" << "ASS=7" << true << "ASS" << "0" << true << 34;
        QTest::newRow("xxx") << "TC1?" << "TC1=xxx" << true << "TC1" << "XXX" << true << 34;
        QTest::newRow("import goes on") << "TC1?" << "" << true << "IC1" << "250" << false << 34;
        QTest::newRow("poll stops") << "TC1?" << "" << false << "IC1" << "" << false << 21;
        QTest::newRow("no serial") << "SNU?" << "" << true << "SNU" << "" << false << 1;
    }
    void reading() {
        BoardRig rig;
        rig.s.NbRepetitions = 0;
        rig.board.setParam("SOP", 235);
        rig.refuse(fetch<QString>("line").toLatin1(), fetch<QString>("answer").toLatin1());
        const BoardReading r = lireCarte(rig.s, fetch<bool>("all"));
        QString shown = "(none)";
        for (const BoardValue* v : r.values())
            if (v->mnemonic == fetch<QString>("mnemonic")) shown = v->text();
        QTEST(shown, "shown");
        QTEST(r.ok, "ok");
        QTEST(int(rig.sent().size()), "sent");
    }
};

QTEST_GUILESS_MAIN(TestBoardReading)
#include "test_board_reading.moc"
