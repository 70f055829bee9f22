#include "core/calibration/Calibration.h"

#include "core/control/PanelRules.h"
#include "core/text/Numbers.h"

#include <cmath>
#include <limits>

namespace tav {

namespace {

const std::array<CalibrationDef, kCalibrationCount> kDefs{{
    {"FrmEtalonnagePIN",
     "Puissancedentree",
     100,
     1,
     "FrmEtalonnagePin",
     {"TxtCI1", "TxtCI2"},
     {"BoutonCI1", "BoutonCI2"},
     {"boutonCI1", "boutonCI2"},
     {18, 21},
     15,
     "Calibration Puissance d'entrée",
     {"Etalonnage puissance à PIN Min (dBm)", "Etalonnage puissance à PIN Max (dBm)"},
     {"Régler puissance de référence à", "Veuillez saisir la valeur basse PIN (dBm)",
      "Régler puissance de référence à", "Veuillez saisir la valeur haute PIN (dBm)",
      "Valeur A/D photodiode d'entrée"},
     "La calibration PIN n'est autorisée qu'en mode administrateur.",
     nullptr,
     nullptr,
     PromptIcon::Information,
     "La calibration de la puissance d'entrée a échoué."},
    {"FrmEtalonnagePOUTPhs1",
     "Puissancedesortiephs1",
     200,
     2,
     "FrmEtalonnagePOUTPhs1",
     {"TxtCO1", "TxtCO2"},
     {"BoutonCO1", "BoutonCO2"},
     {"boutonCO1", "boutonCO2"},
     {19, 22},
     16,
     "Calibration Puissance de sortie Phs1",
     {"Etalonnage puissance à POUT Min (dBm)", "Etalonnage puissance à POUT Max (dBm)"},
     {"Régler puissance de référence à", "Veuillez saisir la valeur basse POUT (dBm)",
      "Régler puissance de référence à", "Veuillez saisir la valeur haute POUT (dBm)",
      "Valeur A/D photodiode de sortie"},
     "La calibration POUT n'est autorisée qu'en mode administrateur.",
     "La calibration de la puissance de sortie Phs1 a échoué.",
     "Calibration Phs1",
     PromptIcon::Critical,
     "La calibration de la puissance de sortie a échoué."},
    {"FrmEtalonnagePOUTPhs2",
     "Puissancedesortiephs2",
     300,
     3,
     "FrmEtalonnagePOUTPhs2",
     {"TxtCS1", "TxtCS2"},
     {"BoutonCS1", "BoutonCS2"},
     {"boutonCs1", "boutonCs2"},
     {20, 23},
     17,
     "Calibration Puissance de sortie Phs2",
     {"Etalonnage puissance à POUT Min (dBm)", "Etalonnage puissance à POUT Max (dBm)"},
     {"Régler puissance de référence à", "Veuillez saisir la valeur basse POUT (dBm)",
      "Régler puissance de référence à", "Veuillez saisir la valeur haute POUT (dBm)",
      "Valeur A/D photodiode de sortie"},
     "La calibration POUT Phs2 n'est autorisée qu'en mode administrateur.",
     "La calibration de la puissance de sortie Phs2 a échoué.",
     "Calibration Phs2",
     PromptIcon::Critical,
     "La calibration de la puissance de sortie a échoué."},
}};

} // namespace

bool referencesEntered(double referenceMin, double referenceMax) {
    return referenceMin != kReferenceMinUnset && referenceMax != kReferenceMaxUnset;
}

const std::array<CalibrationDef, kCalibrationCount>& calibrationDefs() {
    return kDefs;
}

const CalibrationDef* calibrationByCode(int code) {
    for (const CalibrationDef& d : kDefs)
        if (d.code == code) return &d;
    return nullptr;
}

const CalibrationDef* calibrationByType(int type) {
    for (const CalibrationDef& d : kDefs)
        if (d.type == type) return &d;
    return nullptr;
}

QString portFailureFallback() {
    return QStringLiteral("The serial port could not be opened, so the input power cannot be "
                          "calibrated. Check the port and the cable in Serial Link, then open "
                          "this window again.");
}

std::optional<qint16> tenthsOf(const QString& text) {
    // Ten times the value, cleared of the binary noise of the product (-3.15 x 10 must give
    // -31.5 exactly for the tie to go to the even neighbour).
    const double product = leadingNumber(text) * 10;
    if (!std::isfinite(product)) return std::nullopt;
    const double r = roundHalfEven(QString::number(product, 'g', 15).toDouble());
    if (r < std::numeric_limits<qint16>::min() || r > std::numeric_limits<qint16>::max())
        return std::nullopt;
    return static_cast<qint16>(r);
}

QString powerOutOfRangeText(const QString& typed) {
    return QStringLiteral("The power \"%1\" cannot be sent to the board, which takes powers from "
                          "-3276.8 to 3276.7 dBm. Type the power read on the power meter, in dBm, "
                          "and validate again. Nothing was sent.")
        .arg(typed.trimmed());
}

QString calibrationWriteFailure(const QString& mnemonic, const QString& answer) {
    QString text = QStringLiteral("La Commande ") + mnemonic + QString::fromUtf8(" a échoué.");
    if (answer.contains(u'#')) text += QStringLiteral(" (Mode ADMINISTRATEUR obligatoire).");
    return text;
}

QString tenthsText(const QString& answer) {
    if (isNotAvailable(answer)) return QStringLiteral("XXX");
    const std::optional<double> n = numericAnswer(answer);
    return n ? plainNumber(*n / 10) : QString();
}

QString adText(const QString& answer) {
    return numericAnswer(answer) || isNotAvailable(answer) ? answer : QString();
}

ReferenceCaptions referenceCaptions(int type) {
    switch (type) {
    case 200:
        return {QStringLiteral("Puissance de sortie Phs1"),
                QStringLiteral("Gamme d'utilisation de sortie Phs1 (dBm)")};
    case 300:
        return {QStringLiteral("Puissance de sortie Phs2"),
                QStringLiteral("Gamme d'utilisation de sortie Phs2 (dBm)")};
    default:
        return {QString::fromUtf8("Puissance d'entrée"),
                QString::fromUtf8("Gamme d'utilisation d'entrée (dBm)")};
    }
}

const std::array<QString, kThresholdCount>& thresholdKeys() {
    static const std::array<QString, kThresholdCount> keys = [] {
        std::array<QString, kThresholdCount> k;
        const char* names[] = {"IPT", "OPT", "LCM", "TCL", "TCH"};
        for (int i = 0; i < kThresholdCount; ++i)
            k[static_cast<std::size_t>(i)] =
                QStringLiteral("Txt%1_%2").arg(QLatin1String(names[i / 2])).arg(i % 2);
        return k;
    }();
    return keys;
}

QString thresholdBuiltInCaption(int i) {
    const QString key = thresholdKeys()[static_cast<std::size_t>(i)];
    return key.mid(3, 3) + (i % 2 == 0 ? QStringLiteral(" Min") : QStringLiteral(" Max"));
}

QString currentLimitText(const QString& answer) {
    const std::optional<double> n = numericAnswer(answer);
    return n ? plainNumber(*n) : QString();
}

} // namespace tav
