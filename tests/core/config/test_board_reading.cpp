#include "core/config/BoardReading.h"
#include "support/BoardRig.h"
#include "support/Columns.h"

#include <QtTest>

using namespace tav;
using namespace tav::test;

class TestBoardReading : public QObject {
    Q_OBJECT
private slots:
    // Answers replaced (empty: silence) after `after` of them on the board holding SOP 45.0 dBm
    // (shown no higher than PON held in the slider's 0 to 40): the value shown for one mnemonic,
    // the result, and the reads sent (34 in a full reading: SNU, VER, the 15 parameters, VER
    // again, the 15 calibration and A/D values, ASS).
    void reading_data() {
        columns<QString, int, QString, bool, QString, QString, QString, int>(
            {"line", "after", "answer", "all", "mnemonic", "shown", "result", "sent"});
        QTest::newRow("capped") << "PON?" << 0 << "PON=20.5" << true << "SOP" << "20" << "ok" << 34;
        QTest::newRow("PON above 40") << "PON?" << 0 << "PON=45" << true << "SOP" << "40" << "ok" << 34;
        QTest::newRow("PON below 0") << "PON?" << 0 << "PON=-5" << true << "SOP" << "0" << "ok" << 34;
        QTest::newRow("mode on") << "ASS?" << 0 << "ASS=4 on" << true << "ASS" << "" << "ok" << 34;
        QTest::newRow("mode 7") << "ASS?" << 0 << "ASS=7" << true << "ASS" << "0" << "ok" << 34;
        QTest::newRow("xxx") << "TC1?" << 0 << "TC1=xxx" << true << "TC1" << "XXX" << "ok" << 34;
        QTest::newRow("import on") << "TC1?" << 0 << "" << true << "IC1" << "250" << "failed" << 34;
        QTest::newRow("poll stops") << "TC1?" << 0 << "" << false << "IC1" << "" << "failed" << 21;
        QTest::newRow("no serial") << "SNU?" << 0 << "" << true << "SNU" << "" << "none" << 1;
        QTest::newRow("no VER") << "VER?" << 0 << "" << true << "SNU" << "TAV0001" << "none" << 2;
        QTest::newRow("second VER") << "VER?" << 1 << "" << true << "VER" << "" << "ok" << 34;
    }
    void reading() {
        BoardRig rig;
        rig.s.NbRepetitions = 0;
        rig.board.setParam("SOP", 450);
        rig.port.responder = [pass = fetch<int>("after"), line = fetch<QString>("line").toLatin1(),
                              answer = fetch<QString>("answer").toLatin1()](auto& l) mutable {
            return l.startsWith(line) && pass-- <= 0 ? std::optional(answer) : std::nullopt;
        };
        const BoardReading r = lireCarte(rig.s, fetch<bool>("all"));
        QString shown = "(none)";
        for (const BoardValue* v : r.values())
            if (v->mnemonic == fetch<QString>("mnemonic")) shown = v->text();
        QTEST(shown, "shown");
        QTEST(QString(!r.answered() ? "none" : r.ok ? "ok" : "failed"), "result");
        QTEST(int(rig.sent().size()), "sent");
    }
};

QTEST_GUILESS_MAIN(TestBoardReading)
#include "test_board_reading.moc"
