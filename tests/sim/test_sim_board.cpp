#include "model/BoardModel.h"

#include <QtTest>

using tav::sim::BoardModel;

namespace {

// A quiet board: no noise, no current ramp, so readings are exact.
struct QuietBoard : BoardModel {
    QuietBoard() {
        setNoiseEnabled(false);
        setRampEnabled(false);
    }
    QByteArray operator()(const QByteArray& line) { return handleLine(line); }
    int value(const QByteArray& mne) {
        const QByteArray a = handleLine(mne + '?');
        return a.mid(a.indexOf('=') + 1).toInt();
    }
    QByteArray bits(const QByteArray& mne) { return handleLine(mne + '?').mid(4); }
};

QByteArray hexRecord(const QByteArray& data, quint16 address, quint8 type = 0) {
    QByteArray bytes;
    bytes += char(data.size());
    bytes += char(address >> 8);
    bytes += char(address & 0xff);
    bytes += char(type);
    bytes += data;
    quint8 sum = 0;
    for (char c : bytes)
        sum += quint8(c);
    bytes += char(quint8(-sum));
    return ':' + bytes.toHex().toUpper();
}

} // namespace

class TestSimBoard : public QObject {
    Q_OBJECT

private slots:
    void readsAnswerMnemonicAndValueInBoardUnits() {
        QuietBoard b;
        QCOMPARE(b("SNU?"), QByteArray("SNU=TAV0001"));
        QCOMPARE(b("VER?"), QByteArray("VER=V1.20"));
        QCOMPARE(b("IPW?"), QByteArray("IPW=-30")); // -3.0 dBm input
        QCOMPARE(b("PON?"), QByteArray("PON=+20")); // nominal power in dBm
        QCOMPARE(b("IM2?"), QByteArray("IM2=+3000"));
        QCOMPARE(b("CAT?"), QByteArray("CAT=+25"));
        QCOMPARE(b("STS?"), QByteArray("STS=OFF"));
        QCOMPARE(b("ASS?"), QByteArray("ASS=0"));
        QCOMPARE(b("ALA?"), QByteArray("ALA=00000001")); // only bit 0: laser off
        QCOMPARE(b("WAR?"), QByteArray("WAR=00000000"));
        QCOMPARE(b("OPT?"), QByteArray("OPT=0"));
        // Lower case and a trailing line feed are tolerated.
        QCOMPARE(b("snu?\n"), QByteArray("SNU=TAV0001"));
        b.setInputPower(1.5);
        QCOMPARE(b("IPW?"), QByteArray("IPW=+15"));
    }

    void wholeCatalogueIsUnderstood() {
        QuietBoard b;
        const QList<QByteArray> reads = {
            "SNU", "VER", "IPT", "OPT", "TCL", "TCH", "LCM", "IPW", "OPW", "LDC", "SDC",
            "LDT", "CAT", "STS", "ADI", "ADO", "ADS", "PS2", "ID1", "CI1", "CO1", "CS1",
            "CI2", "CO2", "CS2", "AI1", "AI2", "AO1", "AO2", "AS1", "AS2", "OPM", "ALA",
            "WAR", "ASS", "PON", "IM1", "IM2", "TC1", "IC1", "I2T", "ASO", "RP2", "SOP"};
        for (const QByteArray& m : reads) {
            const QByteArray a = b(m + '?');
            QVERIFY2(a.startsWith(m + '=') && a.size() > 4 && !a.contains('/'), a.constData());
        }
        // Every write of the catalogue, written back with the value it reads.
        b("PWD=QUILTA");
        const QList<QByteArray> writes = {"IPT", "OPM", "TCL", "TCH", "LCM", "SDC", "SOP", "PON",
                                          "TC1", "IC1", "IM1", "IM2", "I2T", "ASO", "RP2", "CI1",
                                          "CO1", "CS1", "CI2", "CO2", "CS2", "SNU"};
        for (const QByteArray& m : writes) {
            QByteArray value = b(m + '?').mid(4);
            if (value.startsWith('+')) value.remove(0, 1);
            QCOMPARE(b(m + '=' + value), m + '!');
        }
    }

    void unknownMalformedAndUnavailable() {
        QuietBoard b;
        for (const QByteArray& bad :
             {QByteArray("XYZ?"), QByteArray("SNUX?"), QByteArray("SNU"), QByteArray("SNU?X"),
              QByteArray("VER=2"), QByteArray("\x01\xff?"), QByteArray("AI1=5")})
            QVERIFY2(b(bad).contains('/'), bad.constData());
        QCOMPARE(b(""), QByteArray()); // an empty line gets no answer
        QCOMPARE(b(QByteArray(BoardModel::kMaxLine + 1, 'A')), QByteArray());

        b.setUnavailable("LDT");
        QCOMPARE(b("LDT?"), QByteArray("LDT=xxx"));
        b.setUnavailable("LDT", false);
        QCOMPARE(b("LDT?"), QByteArray("LDT=+25"));

        // A degenerate calibration (both points at the same A/D value) gives no power.
        b.setParam("AI2", b.param("AI1"));
        QCOMPARE(b("IPW?"), QByteArray("IPW=xxx"));
    }

    void userWritesAndOutOfRange() {
        QuietBoard b;
        QCOMPARE(b("SOP=150"), QByteArray("SOP!"));
        QCOMPARE(b.value("SOP"), 150);
        QCOMPARE(b("SDC=1200"), QByteArray("SDC!"));
        QCOMPARE(b("IPT=-95"), QByteArray("IPT!"));
        QCOMPARE(b.value("IPT"), -95);
        QCOMPARE(b("OPM=205"), QByteArray("OPM!"));
        QCOMPARE(b("WAR=0"), QByteArray("WAR!"));
        QCOMPARE(b("ASS=2"), QByteArray("ASS!"));
        QCOMPARE(b("ASS=0"), QByteArray("ASS!"));

        // Out of range or not a number: no "!" and the value is kept.
        for (const QByteArray& bad :
             {QByteArray("SOP=206"), QByteArray("SOP=-1"), QByteArray("SOP=abc"),
              QByteArray("SOP="), QByteArray("SDC=3001"), QByteArray("ASS=5"), QByteArray("WAR=1"),
              QByteArray("OPM=206")}) {
            const QByteArray a = b(bad);
            QVERIFY2(!a.contains('!') && !a.contains('#') && !a.isEmpty(), bad.constData());
        }
        QCOMPARE(b.value("SOP"), 150);
        QCOMPARE(b.value("SDC"), 1200);
        // Fractions are rounded to the nearest whole number, halves to even.
        QCOMPARE(b("SOP=122.5"), QByteArray("SOP!"));
        QCOMPARE(b.value("SOP"), 122);
    }

    void protectedWritesNeedThePassword() {
        QuietBoard b;
        const QList<QByteArray> protectedWrites = {"SNU=TAV0042", "PON=22",   "TC1=24",  "IC1=300",
                                                   "IM1=500",     "IM2=3500", "I2T=600", "ASO=60",
                                                   "RP2=51",      "LCM=3000", "TCL=-15", "TCH=60",
                                                   "CI1=-250",    "CO2=190",  "WKP=1"};
        for (const QByteArray& w : protectedWrites)
            QCOMPARE(b(w), w.left(3) + '#');
        QCOMPARE(b.value("PON"), 20);
        QCOMPARE(b("SNU?"), QByteArray("SNU=TAV0001"));

        QVERIFY(!b("PWD=quilta").contains("PWD!")); // the password is case sensitive
        QCOMPARE(b("PWD=QUILTA"), QByteArray("PWD!"));
        QVERIFY(b.adminMode());
        for (const QByteArray& w : protectedWrites)
            QCOMPARE(b(w), w.left(3) + '!');
        QCOMPARE(b("SNU?"), QByteArray("SNU=TAV0042"));
        QCOMPARE(b.value("RP2"), 51);
        QCOMPARE(b.value("TCL"), -15);

        // Range checks still apply in administrator mode; limits pull their set points down.
        QVERIFY(!b("TC1=31").contains('!'));
        QVERIFY(!b("TCL=60").contains('!')); // must stay below TCH
        QCOMPARE(b("SDC=3400"), QByteArray("SDC!"));
        QCOMPARE(b("IM2=2000"), QByteArray("IM2!"));
        QCOMPARE(b.value("SDC"), 2000);
        QVERIFY(!b("SNU=TWO WORDS").contains('!'));
        QVERIFY(!b("SNU=..\\x/y").contains('!'));
        QVERIFY(!b("SNU=" + QByteArray(17, 'A')).contains('!'));

        // A wrong password leaves administrator mode.
        QVERIFY(!b("PWD=WRONG").contains('!'));
        QCOMPARE(b("PON=21"), QByteArray("PON#"));
    }

    void controlModesAndEyeSafety() {
        QuietBoard b;
        QCOMPARE(b("SOP=170"), QByteArray("SOP!"));
        QCOMPARE(b("ASS=2"), QByteArray("ASS!"));
        QCOMPARE(b("STS?"), QByteArray("STS=ON"));
        QCOMPARE(b("ASS?"), QByteArray("ASS=2"));
        QCOMPARE(b("ALA?"), QByteArray("ALA=00000000"));
        QVERIFY(qAbs(b.value("OPW") - 170) <= 1);
        QVERIFY(qAbs(b.value("PS2") - 167) <= 1); // second photodiode a little lower
        QVERIFY(b.value("LDC") > 0);
        QCOMPARE(b.value("ID1"), 250);

        // The eye-safety limit caps the output in APC.
        QCOMPARE(b("OPM=120"), QByteArray("OPM!"));
        QVERIFY(qAbs(b.value("OPW") - 120) <= 1);

        // ACC: the current set point drives the output; more current, more power.
        QCOMPARE(b("ASS=1"), QByteArray("ASS!"));
        QCOMPARE(b.value("LDC"), 1500);
        const int at1500 = b.value("OPW");
        QCOMPARE(b("SDC=2500"), QByteArray("SDC!"));
        QVERIFY(b.value("OPW") > at1500);

        // AACC / AAPC follow the external set point.
        b.setExternalSetPoint(0.25);
        QCOMPARE(b("ASS=3"), QByteArray("ASS!"));
        QCOMPARE(b.value("LDC"), 750);
        b.setExternalSetPoint(0.5);
        QCOMPARE(b("ASS=4"), QByteArray("ASS!"));
        QCOMPARE(b("OPM=205"), QByteArray("OPM!"));
        QVERIFY(qAbs(b.value("OPW") - 100) <= 1); // half of PON = 10 dBm

        QCOMPARE(b("ASS=0"), QByteArray("ASS!"));
        QCOMPARE(b("STS?"), QByteArray("STS=OFF"));
        QCOMPARE(b.value("LDC"), 0);
        QVERIFY(b.value("OPW") < -200); // unpumped fibre absorbs the signal
    }

    void currentRampsAtTheRp2Speed() {
        BoardModel b;
        b.setNoiseEnabled(false);
        b.advanceTo(1000);
        b.handleLine("ASS=1"); // SDC 1500 mA, IM2 3000 mA, RP2 102: 3000 * 20 * 102 / 4095 mA/s
        QCOMPARE(b.pumpCurrent(), 0.0);
        b.advanceTo(1500);
        QVERIFY(qAbs(b.pumpCurrent() - 747.3) < 1.0);
        QCOMPARE(b.handleLine("STS?"), QByteArray("STS=ON"));
        b.advanceTo(3000);
        QCOMPARE(b.pumpCurrent(), 1500.0);
    }

    void inputLossShutsDownWhileItLasts() {
        QuietBoard b;
        b("ASS=2");
        QCOMPARE(b("STS?"), QByteArray("STS=ON"));
        b.setInputPower(-8.1); // IPT is -8.0 dBm
        QCOMPARE(b("STS?"), QByteArray("STS=OFF"));
        QCOMPARE(b.bits("ALA"), QByteArray("01000101")); // disabled, input loss, laser off
        QCOMPARE(b("ASS?"), QByteArray("ASS=2"));        // the chosen mode is kept
        b.setInputPower(-7.8);                           // inside the 0.5 dB hysteresis
        QCOMPARE(b("STS?"), QByteArray("STS=OFF"));
        b.setInputPower(-7.4);
        QCOMPARE(b("STS?"), QByteArray("STS=ON"));
        QCOMPARE(b.bits("ALA"), QByteArray("00000000"));

        // A lower threshold written by the operator lets the board run at -8.1 dBm.
        b("IPT=-100");
        b.setInputPower(-8.1);
        QCOMPARE(b("STS?"), QByteArray("STS=ON"));
    }

    void caseTemperatureAlarmsAndWarnings() {
        QuietBoard b;
        b("ASS=1");
        b.setCaseTemperature(59); // TCH 65: warning from 60
        QCOMPARE(b.bits("WAR"), QByteArray("00000000"));
        b.setCaseTemperature(60);
        QCOMPARE(b.bits("WAR"), QByteArray("00001000"));
        QCOMPARE(b("STS?"), QByteArray("STS=ON"));
        b.setCaseTemperature(66);
        QCOMPARE(b("STS?"), QByteArray("STS=OFF"));
        QCOMPARE(b.bits("ALA"), QByteArray("01010001"));
        b.setCaseTemperature(25);
        QCOMPARE(b("STS?"), QByteArray("STS=ON"));
        QCOMPARE(b.bits("WAR"), QByteArray("00001000")); // warnings stay until reset
        QCOMPARE(b("WAR=0"), QByteArray("WAR!"));
        QCOMPARE(b.bits("WAR"), QByteArray("00000000"));

        b.setCaseTemperature(-15); // TCL -20: warning from -15
        QCOMPARE(b.bits("WAR"), QByteArray("00000100"));
        b.setCaseTemperature(-21);
        QCOMPARE(b.bits("ALA").at(3), '1');
        b.setCaseTemperature(-80); // far beyond what the cooler can hold
        QCOMPARE(b.bits("ALA").at(2), '1');
        QVERIFY(b.value("LDT") < 23);

        b.setCaseTemperature(25);
        b.setSupplyVoltage(4.5);
        QCOMPARE(b.bits("ALA").at(0), '1');
    }

    void latchedProtectionsNeedANewStart() {
        QuietBoard b;
        b("PWD=QUILTA");
        // Pump current above LCM.
        QCOMPARE(b("LCM=1400"), QByteArray("LCM!"));
        b("ASS=1"); // SDC 1500 mA
        QCOMPARE(b("STS?"), QByteArray("STS=OFF"));
        QCOMPARE(b.bits("ALA"), QByteArray("01001001"));
        b("LCM=2800");
        QCOMPARE(b("STS?"), QByteArray("STS=OFF")); // still latched
        b("ASS=1");
        QCOMPARE(b("STS?"), QByteArray("STS=ON"));

        // Loss of output power: output below OPT.
        QCOMPARE(b("OPT=190"), QByteArray("OPT!"));
        QCOMPARE(b("STS?"), QByteArray("STS=OFF"));
        QCOMPARE(b.bits("ALA"), QByteArray("01000011"));
        b("OPT=0");
        b("ASS=1");
        QCOMPARE(b("STS?"), QByteArray("STS=ON"));

        // ASO: at a current of at least I2T the output must reach ASO.
        QCOMPARE(b("ASO=150"), QByteArray("ASO!")); // 15 dBm
        QCOMPARE(b("SDC=600"), QByteArray("SDC!"));
        QCOMPARE(b("STS?"), QByteArray("STS=OFF"));
        QCOMPARE(b.bits("ALA").at(6), '1');
    }

    void lowOutputWarnings() {
        QuietBoard b;
        // APC asking for more than the pump can give at IM2.
        b("PWD=QUILTA");
        b("IM2=1000");
        b("LCM=8000");
        b("SOP=200");
        b("ASS=2");
        QCOMPARE(b("STS?"), QByteArray("STS=ON"));
        QCOMPARE(b.bits("WAR"), QByteArray("00000001"));
        // ACC close to the output-loss threshold.
        b("OPT=150");
        b("SDC=800");
        b("ASS=1");
        b("WAR=0");
        QCOMPARE(b("STS?"), QByteArray("STS=ON"));
        QCOMPARE(b.bits("WAR"), QByteArray("00000010"));
    }

    void calibrationPointsRecordTheAdValue() {
        QuietBoard b;
        b("PWD=QUILTA");
        const int factoryIpw = b.value("IPW");
        QCOMPARE(factoryIpw, -30);

        // Low point at -30 dBm, high point at 0 dBm, the operator typing what a meter shows
        // with a 0.5 dB offset: the readings follow that meter afterwards.
        b.setInputPower(-30);
        const int adLow = b.value("ADI");
        QCOMPARE(b("CI1=-295"), QByteArray("CI1!"));
        QCOMPARE(b.value("AI1"), adLow);
        QCOMPARE(b.value("CI1"), -295);
        b.setInputPower(0);
        const int adHigh = b.value("ADI");
        QVERIFY(adHigh > adLow);
        QCOMPARE(b("CI2=5"), QByteArray("CI2!"));
        QCOMPARE(b.value("AI2"), adHigh);
        QCOMPARE(b.value("IPW"), 5);
        b.setInputPower(-15);
        QCOMPARE(b.value("IPW"), -145);

        // Output photodiodes: the same through CO1/CO2 (Phs1) and CS1/CS2 (Phs2).
        b("ASS=1");
        const int ado = b.value("ADO");
        QCOMPARE(b("CO1=100"), QByteArray("CO1!"));
        QCOMPARE(b.value("AO1"), ado);
        const int ads = b.value("ADS");
        QCOMPARE(b("CS2=120"), QByteArray("CS2!"));
        QCOMPARE(b.value("AS2"), ads);
    }

    void eepromSaveRestartAndFactoryRecall() {
        QuietBoard b;
        b("PWD=QUILTA");
        b("SNU=TAV0777");
        b("PON=23");
        b("SOP=200");
        QCOMPARE(b("WKP=1"), QByteArray("WKP!"));
        QCOMPARE(b.eepromWrites(), 1);
        b("SOP=100"); // working only
        b.restart();
        QVERIFY(!b.adminMode());
        QCOMPARE(b("SNU?"), QByteArray("SNU=TAV0777"));
        QCOMPARE(b.value("SOP"), 200);
        QCOMPARE(b.value("PON"), 23);

        // The image survives a round trip (a state file) and rejects junk.
        const QByteArray image = b.eepromImage();
        QuietBoard other;
        QVERIFY(other.loadEepromImage(image));
        QCOMPARE(other("SNU?"), QByteArray("SNU=TAV0777"));
        QCOMPARE(other.value("PON"), 23);
        QVERIFY(!other.loadEepromImage("PON=abc\n"));
        QVERIFY(!other.loadEepromImage("garbage line\n"));
        QCOMPARE(other.value("PON"), 23);

        // RVP recalls the factory parameters into the working set (user level).
        QCOMPARE(b("RVP"), QByteArray("RVP!"));
        QCOMPARE(b("SNU?"), QByteArray("SNU=TAV0001"));
        QCOMPARE(b.value("PON"), 20);
        b.restart();
        QCOMPARE(b.value("PON"), 23); // not saved until WKP=1
    }

    void downloadSequence() {
        QuietBoard b;
        const QByteArray good1 = hexRecord("\x02\x00\x01\x02", 0x0000);
        const QByteArray good2 = hexRecord("ABCDEFGH", 0x0004);
        const QByteArray eof = hexRecord({}, 0, 1);
        QCOMPARE(eof, QByteArray(":00000001FF"));
        QByteArray bad = good2;
        bad[bad.size() - 1] = bad.back() == '0' ? '1' : '0'; // wrong checksum

        // A bad record: acknowledged without "!", and UPL=2 refuses the image.
        QCOMPARE(b("UPL=1"), QByteArray("UPL!"));
        QCOMPARE(b(good1), QByteArray("!"));
        QVERIFY(!b(bad).contains('!'));
        QVERIFY(!b(":0").contains('!'));
        QVERIFY(!b(":ZZ000001FF").contains('!'));
        QCOMPARE(b(eof), QByteArray("!"));
        QVERIFY(!b("UPL=2").contains('!'));
        QVERIFY(!b("UPL=3").contains('!'));
        QCOMPARE(b("VER?"), QByteArray("VER=V1.20"));

        // A clean download restarts on UPL=3 with the new version.
        QCOMPARE(b("UPL=1"), QByteArray("UPL!"));
        QVERIFY(b.downloadMode());
        for (const QByteArray& r : {good1, good2, eof})
            QCOMPARE(b(r), QByteArray("!"));
        QCOMPARE(b("UPL=2"), QByteArray("UPL!"));
        QCOMPARE(b("UPL=3"), QByteArray("UPL!"));
        QVERIFY(!b.downloadMode());
        QCOMPARE(b("VER?"), QByteArray("VER=V1.21"));

        // UPL=2 without any record is not a good image.
        b("UPL=1");
        QVERIFY(!b("UPL=2").contains('!'));
        b.setNextVersion("V2.00");
        b(good1);
        b("UPL=2");
        b("UPL=3");
        QCOMPARE(b("VER?"), QByteArray("VER=V2.00"));
    }

    void noiseStaysSmallAndReadingsStayConsistent() {
        BoardModel b;
        b.setRampEnabled(false);
        b.handleLine("ASS=2");
        for (int i = 0; i < 50; ++i) {
            const QByteArray ipw = b.handleLine("IPW?");
            const int v = ipw.mid(4).toInt();
            QVERIFY2(qAbs(v + 30) <= 1, ipw.constData());
            const int opw = b.handleLine("OPW?").mid(4).toInt();
            QVERIFY(qAbs(opw - 170) <= 2);
        }
    }
};

QTEST_GUILESS_MAIN(TestSimBoard)
#include "test_sim_board.moc"
