#include "ui/calibration/FrmPinMinMax.h"

#include "core/AppState.h"
#include "core/calibration/Calibration.h"
#include "core/text/Numbers.h"
#include "ui/calibration/EntryCheck.h"
#include "ui/support/WindowPlacement.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tav {

FrmPinMinMax::FrmPinMinMax(AppState& s, QWidget* parent) : QDialog(parent), s_(s) {
    setObjectName(QStringLiteral("FrmPinMinMax"));
    setModal(true);
    const ReferenceCaptions captions = referenceCaptions(s_.TypeEtalonnage);
    setWindowTitle(captions.title);

    grpframe = new QGroupBox(captions.frame, this);
    grpframe->setObjectName(QStringLiteral("grpframe"));
    auto* grid = new QGridLayout(grpframe);
    auto* check = new EntryCheck(this, true, [this](QLineEdit* b) { Txt_Check(b); });
    const std::array<const char*, 2> names{"TxtPinMin", "TxtPinMax"};
    const std::array<const char*, 2> labels{"Min", "Max"};
    std::array<QLineEdit*, 2> boxes{};
    for (int i = 0; i < 2; ++i) {
        grplabel[i] = new QLabel(QString::fromLatin1(labels[i]), grpframe);
        grplabel[i]->setObjectName(QStringLiteral("grplabel_%1").arg(i));
        boxes[i] = new QLineEdit(grpframe);
        boxes[i]->setObjectName(QString::fromLatin1(names[i]));
        boxes[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        boxes[i]->setFixedWidth(90);
        check->watch(boxes[i]);
        grid->addWidget(grplabel[i], i, 0);
        grid->addWidget(boxes[i], i, 1);
    }
    TxtPinMin = boxes[0];
    TxtPinMax = boxes[1];

    BoutonValider = new QPushButton(QStringLiteral("Valider"), this);
    BoutonValider->setObjectName(QStringLiteral("BoutonValider"));
    BoutonValider->setAutoDefault(false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(grpframe);
    layout->addWidget(BoutonValider, 0, Qt::AlignHCenter);
    connect(BoutonValider, &QPushButton::clicked, this, &FrmPinMinMax::BoutonValider_Click);

    adjustSize();
    centreOnScreen(this);
}

bool FrmPinMinMax::Txt_Check(QLineEdit* box) {
    return acceptNumericBox(s_, box, QString::fromUtf8("Veuillez saisir une valeur numérique."),
                            windowTitle());
}

void FrmPinMinMax::BoutonValider_Click() {
    // A text refused on leaving may still be there when the click came first.
    if (!Txt_Check(TxtPinMin) || !Txt_Check(TxtPinMax)) return;
    if (!TxtPinMin->text().isEmpty()) s_.ReferenceMin = leadingNumber(TxtPinMin->text());
    if (!TxtPinMax->text().isEmpty()) s_.ReferenceMax = leadingNumber(TxtPinMax->text());
    accept();
}

} // namespace tav
