#include "ui/main/FrmSupervision.h"

#include "core/AppState.h"
#include "core/Prompts.h"
#include "core/settings/Ini.h"
#include "core/translation/Texts.h"
#include "ui/support/TextLoader.h"
#include "ui/support/WindowPlacement.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <limits>

namespace tav {

namespace {

const QString kSection = QStringLiteral("ValueSupervision");

// Accepted ranges: the time-out and the repeats are 16-bit, the refresh period 32-bit.
// A time-out or a period of 0 would make every exchange fail or stop the poll; they are refused.
constexpr qint64 kTimeoutMin = 1, kTimeoutMax = std::numeric_limits<qint16>::max();
constexpr qint64 kRefreshMin = 1, kRefreshMax = std::numeric_limits<qint32>::max();
constexpr qint64 kRepeatMin = 0, kRepeatMax = std::numeric_limits<qint16>::max();

} // namespace

FrmSupervision::FrmSupervision(AppState& s, QWidget* parent) : QDialog(parent), s_(s) {
    setObjectName(QStringLiteral("FrmSupervision"));
    setWindowTitle(QStringLiteral("Supervision"));
    setModal(true);

    auto named = [](QWidget* w, const QString& name) {
        w->setObjectName(name);
        return w;
    };

    for (int i = 0; i < 2; ++i)
        grpframe[i] = static_cast<QGroupBox*>(named(new QGroupBox(this),
                                                    QStringLiteral("grpframe_%1").arg(i)));
    for (int i = 0; i < 3; ++i)
        grplabel[i] = static_cast<QLabel*>(named(new QLabel(grpframe[0]),
                                                 QStringLiteral("grplabel_%1").arg(i)));
    TxtTimeoutValue = static_cast<QLineEdit*>(named(new QLineEdit(grpframe[0]),
                                                    QStringLiteral("TxtTimeoutValue")));
    TxtRefreshValue = static_cast<QLineEdit*>(named(new QLineEdit(grpframe[0]),
                                                    QStringLiteral("TxtRefreshValue")));
    TxtRepeatCycle = static_cast<QLineEdit*>(named(new QLineEdit(grpframe[0]),
                                                   QStringLiteral("TxtRepeatCycle")));
    CheckChrByChr = static_cast<QCheckBox*>(
        named(new QCheckBox(QStringLiteral("Chr By Chr"), grpframe[1]),
              QStringLiteral("CheckChrByChr")));
    BoutonValider = static_cast<QPushButton*>(
        named(new QPushButton(QStringLiteral("Validate"), this), QStringLiteral("BoutonValider")));
    BoutonExit = static_cast<QPushButton*>(
        named(new QPushButton(QStringLiteral("Exit"), this), QStringLiteral("BoutonExit")));

    auto* timing = new QGridLayout(grpframe[0]);
    const std::array<QLineEdit*, 3> boxes{TxtTimeoutValue, TxtRefreshValue, TxtRepeatCycle};
    for (int i = 0; i < 3; ++i) {
        timing->addWidget(grplabel[i], i, 0);
        timing->addWidget(boxes[i], i, 1);
        boxes[i]->setMaximumWidth(90);
    }
    auto* options = new QVBoxLayout(grpframe[1]);
    options->addWidget(CheckChrByChr);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BoutonValider);
    buttons->addWidget(BoutonExit);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(grpframe[0]);
    layout->addWidget(grpframe[1]);
    layout->addLayout(buttons);

    connect(BoutonValider, &QPushButton::clicked, this, &FrmSupervision::BoutonValider_Click);
    connect(BoutonExit, &QPushButton::clicked, this, &FrmSupervision::BoutonExit_Click);
    BoutonValider->setDefault(true);

    // Loading: built-in defaults, replaced by the stored values that are not empty.
    const QString file = s_.langueIni();
    const std::array<std::pair<QLineEdit*, QString>, 3> stored{{
        {TxtTimeoutValue, QStringLiteral("TxtTimeoutValue")},
        {TxtRefreshValue, QStringLiteral("TxtRefreshValue")},
        {TxtRepeatCycle, QStringLiteral("TxtRepeatCycle")},
    }};
    TxtTimeoutValue->setText(QStringLiteral("250"));
    TxtRefreshValue->setText(QStringLiteral("250"));
    TxtRepeatCycle->setText(QStringLiteral("3"));
    for (const auto& [box, key] : stored) {
        const QString v = LireIni(file, kSection, key);
        if (!v.isEmpty())
            box->setText(v);
    }
    CheckChrByChr->setChecked(
        leadingNumber(LireIni(file, kSection, QStringLiteral("CheckChrByChr"))) == 1);

    chargerTextes();

    adjustSize();
    centreOnScreen(this);
}

void FrmSupervision::chargerTextes() {
    ChargerLangueCourante(s_);
    const TextLoader texts(s_, QStringLiteral("FrmSupervision"));
    texts.family(grpframe, QStringLiteral("grpframe_"));
    texts.family(grplabel, QStringLiteral("grplabel_"));
    texts.named({BoutonValider});
}

std::optional<qint64> FrmSupervision::wholeNumber(const QString& text, qint64 min, qint64 max) {
    const QString t = text.trimmed();
    if (t.isEmpty() || t.size() > 20)
        return std::nullopt;
    bool ok = false;
    const qint64 v = t.toLongLong(&ok, 10);
    if (!ok || v < min || v > max)
        return std::nullopt;
    return v;
}

void FrmSupervision::BoutonValider_Click() {
    struct Field {
        QLineEdit* box;
        qint64 min, max;
        QString what;
        std::optional<qint64> value;
    };
    std::array<Field, 3> fields{{
        {TxtTimeoutValue, kTimeoutMin, kTimeoutMax, QStringLiteral("The time-out value (ms)"), {}},
        {TxtRefreshValue, kRefreshMin, kRefreshMax,
         QStringLiteral("The refresh screen time (ms)"), {}},
        {TxtRepeatCycle, kRepeatMin, kRepeatMax,
         QStringLiteral("The max number of repeat cycle"), {}},
    }};
    for (auto& f : fields) {
        f.value = wholeNumber(f.box->text(), f.min, f.max);
        if (!f.value) {
            s_.prompts.message(QStringLiteral("%1 must be a whole number from %2 to %3; \"%4\" is "
                                              "not. Correct it and validate again. Nothing was "
                                              "saved.")
                                   .arg(f.what)
                                   .arg(f.min)
                                   .arg(f.max)
                                   .arg(f.box->text()),
                               windowTitle(), PromptIcon::Critical);
            f.box->setFocus();
            f.box->selectAll();
            return;
        }
    }

    const QString file = s_.langueIni();
    EcrireIni(file, kSection, QStringLiteral("TxtTimeoutValue"), TxtTimeoutValue->text());
    EcrireIni(file, kSection, QStringLiteral("TxtrefreshValue"), TxtRefreshValue->text());
    EcrireIni(file, kSection, QStringLiteral("TxtRepeatCycle"), TxtRepeatCycle->text());
    s_.TempsTimeout = static_cast<qint16>(*fields[0].value);
    s_.TempsRafraichissement = static_cast<qint32>(*fields[1].value);
    s_.NbRepetitions = static_cast<qint16>(*fields[2].value);
    EcrireIni(file, kSection, QStringLiteral("CheckChrByChr"),
              CheckChrByChr->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
    accept();
}

void FrmSupervision::BoutonExit_Click() {
    reject();
}

} // namespace tav
