#include "core/settings/Defaults.h"

#include "core/settings/Ini.h"

#include <QDir>

namespace tav {

namespace {

const char16_t* const kWriteSyn[] = {
    u"IPT (Write the threshold for the automatic shutdown in case of loss of input power)",
    u"OPM (Write the threshold for the automatic shutdown in case of loss of output power)",
    u"TCL (Write the threshold for the automatic shutdown in case of low temperature case)",
    u"TCH (Write the threshold for the automatic shutdown in case of high temperature case)",
    u"LCM (Write the threshold for the automatic shutdown in case of high laser diode current)",
    u"SDC (Set the Laser diode current)",
    u"SOP (Set output power)",
    u"PON (Ecrit la puissance nominale de l'amplificateur)",
    u"TC1 (Ecrit la température de consigne de la diode 1)",
    u"IC1 (Ecrit le courant de consigne de la diode 1)",
    u"IM1 (Ecrit le courant limite de la diode 1)",
    u"SDC (Set the Laser diode current)",
    u"IM2 (Ecrit le courant limite de la diode 2)",
    u"I2T (Ecrit le courant de référence pour comparer la puissance de sortie à ASO)",
    u"ASO (Ecrit le seuil de puissance à I2T, en dessous duquel l'emission optique est coupée)",
    u"RP2 ((20 * RP2)/4095) Ecrit la vitesse de rampe de courant de diode 2)",
    u"SOP (Set output power)",
    u"CI1 (Ecrit la valeur de la mesure basse de puissance d'entrée)",
    u"CO1 (Ecrit la valeur de la mesure basse de puissance de sortie sur Phs1)",
    u"CS1 (Ecrit la valeur de la mesure basse de puissance de sortie sur Phs2)",
    u"CI2 (Ecrit la valeur de la mesure haute de puissance d'entrée)",
    u"CO2 (Ecrit la valeur de la mesure haute de puissance de sortie sur Phs1)",
    u"CS2 (Ecrit la valeur de la mesure haute de puissance de sortie sur Phs2)",
    u"SNU (Ecrit le numéro de série)",
    u"OPM (Set power limit)",
};

const char16_t* const kReadSyn[] = {
    u"SNU (Read the serial number)",
    u"VER (Read Embedded software version)",
    u"IPT (Read the threshold for the automatic shutdown in case of loss of input power)",
    u"OPT (Read the threshold for the automatic shutdown in case of loss of output power)",
    u"TCL (Read the threshold for the automatic shutdown in case of low temperature case)",
    u"TCH (Read the threshold for the automatic shutdown in case of high temperature case)",
    u"LCM (Read the threshold for the automatic shutdown in case of high laser diode current)",
    u"IPW (Read Input Power)",
    u"OPW (Read Output Power)",
    u"LDC (Read Laser Diode Current Set Point)",
    u"SDC (Read Laser Diode Current)",
    u"LDT (Read Laser Diode Temperature)",
    u"CAT (Read Case Temperature)",
    u"STS (Read the status of the EDFA)",
    u"ADI (Lit la valeur A/D de la photodiode d'entrée)",
    u"ADO (Lit la valeur A/D de la photodiode de sortie Phs1)",
    u"ADS (Lit la valeur A/D de la photodiode de sortie Phs2)",
    u"PS2 (Lit la puissance de sortie sur la 2ieme photodiode)",
    u"ID1 (Lit le courant actuel de la diode 1)",
    u"CI1 (Lit la valeur de la mesure basse de puissance d'entrée)",
    u"CO1 (Lit la valeur de la mesure basse de puissance de sortie sur Phs1)",
    u"CS1 (Lit la valeur de la mesure basse de puissance de sortie sur Phs2)",
    u"CI2 (Lit la valeur de la mesure haute de puissance d'entrée)",
    u"CO2 (Lit la valeur de la mesure haute de puissance de sortie sur Phs1)",
    u"CS2 (Lit la valeur de la mesure haute de puissance de sortie sur Phs2)",
    u"AI1 (Lit la valeur A/D de la photodiode d'entrée à Pin MINI en calibration)",
    u"AI2 (Lit la valeur A/D de la photodiode d'entrée à Pin MAXI en calibration)",
    u"AO1 (Lit la valeur A/D de la photodiode de sortie Phs1 à Pout MINI en calibration)",
    u"AO2 (Lit la valeur A/D de la photodiode de sortie Phs1 à Pout MAXI en calibration)",
    u"AS1 (Lit la valeur A/D de la photodiode de sortie Phs2 à Pout MINI en calibration)",
    u"AS2 (Lit la valeur A/D de la photodiode de sortie Phs2 à Pout MAXI en calibration)",
    u"OPM (Read power limit)",
};

const char16_t* const kCmdReadSyn[] = {
    u"IPW (Read Input Power)",
    u"OPW (Read Output Power)",
    u"PS2 (Read Output Power on Phs2)",
    u"ID1 (Read Diode 1 Actual Current)",
    u"LDT (Read Laser Diode Temperature)",
    u"CAT (Read Case Temperature)",
    u"ALA (Read the alarms)",
};

QStringList toList(const char16_t* const* texts, int n) {
    QStringList out;
    out.reserve(n);
    for (int i = 0; i < n; ++i)
        out << QString::fromUtf16(texts[i]);
    return out;
}

} // namespace

const QStringList& defaultWriteSyn() {
    static const QStringList l = toList(kWriteSyn, int(std::size(kWriteSyn)));
    return l;
}

const QStringList& defaultReadSyn() {
    static const QStringList l = toList(kReadSyn, int(std::size(kReadSyn)));
    return l;
}

const QStringList& defaultCmdReadSyn() {
    static const QStringList l = toList(kCmdReadSyn, int(std::size(kCmdReadSyn)));
    return l;
}

void EcrireParametresDefaut(const QString& programDir) {
    IniBatch ini(QDir(programDir).filePath(QStringLiteral("General.ini")));
    const QString rs = QStringLiteral("RS232");
    ini.write(rs, QStringLiteral("PORT"), QStringLiteral("COM1"));
    ini.write(rs, QStringLiteral("BAUD"), QStringLiteral("19200"));
    ini.write(rs, QStringLiteral("PARITE"), QStringLiteral("NONE"));
    ini.write(rs, QStringLiteral("DATA"), QStringLiteral("8"));
    ini.write(rs, QStringLiteral("STOP"), QStringLiteral("1"));
    ini.write(rs, QStringLiteral("TxtSleepTwoChars"), QStringLiteral("1"));
    ini.write(rs, QStringLiteral("TempsPause"), QStringLiteral("500"));
    const std::pair<QString, const QStringList*> lists[] = {
        {QStringLiteral("WRITE SYN"), &defaultWriteSyn()},
        {QStringLiteral("READ SYN"), &defaultReadSyn()},
        {QStringLiteral("CMD READ SYN"), &defaultCmdReadSyn()},
    };
    for (const auto& [section, texts] : lists)
        for (int i = 0; i < texts->size(); ++i)
            ini.write(section, QString::number(i + 1), texts->at(i));
    const QString th = QStringLiteral("FrmAlarmsThresholds");
    const std::pair<const char*, const char*> bounds[] = {
        {"TxtIPT_0", "-10"}, {"TxtIPT_1", "0"},   {"TxtOPT_0", "5"},
        {"TxtOPT_1", "19"},  {"TxtLCM_0", "1000"}, {"TxtTCL_0", "-40"},
        {"TxtTCL_1", "-10"}, {"TxtTCH_0", "40"},   {"TxtTCH_1", "70"},
    };
    for (const auto& [key, value] : bounds)
        ini.write(th, QString::fromLatin1(key), QString::fromLatin1(value));
    ini.commit();
}

} // namespace tav
