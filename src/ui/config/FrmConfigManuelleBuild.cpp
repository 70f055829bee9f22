#include "ui/config/FrmConfigManuelle.h"

#include "core/config/ConfigRules.h"
#include "ui/config/ConfigIcons.h"
#include "ui/control/PanelIcons.h"
#include "ui/support/Slider.h"
#include "ui/support/Tabs.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

// Controls and layout of the manual configuration window.

namespace tav {

namespace {

template <class T> T* make(QWidget* parent, const QString& name) {
    auto* w = new T(parent);
    w->setObjectName(name);
    return w;
}

QString indexed(const char* name, int i) {
    return QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(i);
}

} // namespace

void FrmConfigManuelle::buildControls() {
    Onglet = make<TabControl>(this, QStringLiteral("Onglet"));
    Onglet->addPage(QStringLiteral("Informations"));
    const QStringList frames{QStringLiteral("Identifiants"),
                             QStringLiteral("Diode 1"),
                             QStringLiteral("Diode 2"),
                             QStringLiteral("Configuration des seuils"),
                             QStringLiteral("Calibration Photodiodes"),
                             QStringLiteral("Autres paramètres"),
                             QStringLiteral("Fonctionnement  "),
                             QStringLiteral("Choix du mode"),
                             QStringLiteral("Date - Time")};
    for (std::size_t i = 0; i < grpframe.size(); ++i) {
        grpframe[i] = make<QGroupBox>(this, indexed("grpframe", int(i)));
        grpframe[i]->setTitle(frames[int(i)]);
    }
    for (std::size_t i = 0; i < grplabel.size(); ++i) {
        grplabel[i] = make<QLabel>(this, indexed("grplabel", int(i)));
        grplabel[i]->setWordWrap(true);
    }

    // Tooltips carry catalogue keys until the opening replaces them by the catalogue texts.
    TxtSNU = make<QLineEdit>(this, QStringLiteral("TxtSNU"));
    TxtSNU->setToolTip(QString::number(kSerialWriteKey));
    for (std::size_t i = 0; i < CW.size(); ++i) {
        CW[i] = make<QLineEdit>(this, indexed("CW", int(i)));
        CW[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        CW[i]->setFixedWidth(70);
        CW[i]->setToolTip(QString::number(kParamWriteKeys[i]));
        CWSlide[i] = new NumericSlider(int(i), this);
        CWSlide[i]->setObjectName(indexed("CWSlide", int(i)));
        CWSlide[i]->setStep(1);
        CWSlide[i]->setMinimumWidth(170);
    }
    auto valueLabel = [this](QLabel* l) {
        l->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken); // every edge drawn, as a box
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        l->setMinimumWidth(70);
        l->setAutoFillBackground(true);
        paint(l, false);
    };
    for (std::size_t i = 0; i < LabelTxt.size(); ++i) {
        LabelTxt[i] = make<QLabel>(this, indexed("LabelTxt", int(i)));
        LabelTxt[i]->setToolTip(QString::number(kReadOnlyKeys[i]));
        valueLabel(LabelTxt[i]);
    }
    for (std::size_t i = 0; i < Label.size(); ++i) {
        Label[i] = make<QLabel>(this, indexed("Label", int(i)));
        Label[i]->setToolTip(QString::number(kOperatingKeys[i]));
        valueLabel(Label[i]);
    }
    const QStringList modes{QStringLiteral("ACC"), QStringLiteral("APC"), QStringLiteral("AACC"),
                            QStringLiteral("AAPC")};
    for (std::size_t k = 0; k < OptionMode.size(); ++k) {
        OptionMode[k] = make<QRadioButton>(this, indexed("OptionMode", int(k)));
        OptionMode[k]->setText(modes[int(k)]);
    }
    BoutonReinitialiser = make<QPushButton>(this, QStringLiteral("BoutonReinitialiser"));
    BoutonReinitialiser->setText(QStringLiteral("Réinitialiser"));
    BoutonImporter = make<QPushButton>(this, QStringLiteral("BoutonImporter"));
    BoutonImporter->setText(QStringLiteral("Import from board"));
    BoutonExporter = make<QPushButton>(this, QStringLiteral("BoutonExporter"));
    BoutonExporter->setText(QStringLiteral("Send to board"));
    auto pictureButton = [this](const QString& name, const QIcon& icon, const QString& tip) {
        auto* b = make<QToolButton>(this, name);
        b->setIcon(icon);
        b->setIconSize(QSize(40, 40));
        b->setFixedSize(54, 54);
        b->setToolTip(tip);
        b->setAccessibleName(name);
        return b;
    };
    BoutonEeprom = pictureButton(QStringLiteral("BoutonEeprom"), eepromIcon(80),
                                 QStringLiteral(" Set the command WKP=1 "));
    BoutonImprimer = pictureButton(QStringLiteral("BoutonImprimer"), printIcon(80),
                                   QStringLiteral("Imprimer une configuration"));
    BoutonExit = pictureButton(QStringLiteral("BoutonExit"), exitIcon(80), QString());
    TxtDate = make<QLineEdit>(this, QStringLiteral("TxtDate"));
    TxtTime = make<QLineEdit>(this, QStringLiteral("TxtTime"));
    for (QLineEdit* t : {TxtDate, TxtTime}) {
        t->setReadOnly(true);
        t->setAlignment(Qt::AlignCenter);
        t->setFixedWidth(90);
    }
}


void FrmConfigManuelle::buildLayout() {
    auto rows = [](QGroupBox* frame) {
        auto* g = new QGridLayout(frame);
        g->setVerticalSpacing(4);
        g->setColumnStretch(2, 1);
        return g;
    };
    auto caption = [this](int c) {
        QLabel* l = grplabel[static_cast<std::size_t>(c)];
        l->setMinimumWidth(190);
        return l;
    };
    // A parameter row: caption, box, slider.
    auto param = [&](QGridLayout* g, int i) {
        const int r = g->rowCount();
        const auto k = static_cast<std::size_t>(i);
        g->addWidget(caption(kParamCaptions[k]), r, 0);
        g->addWidget(CW[k], r, 1);
        g->addWidget(CWSlide[k], r, 2);
    };
    auto value = [&](QGridLayout* g, int c, QLabel* l) {
        const int r = g->rowCount();
        g->addWidget(caption(c), r, 0);
        g->addWidget(l, r, 1);
    };

    QGridLayout* ident = rows(grpframe[0]);
    ident->addWidget(caption(0), 0, 0);
    ident->addWidget(TxtSNU, 0, 1, 1, 2);
    param(ident, 0);
    value(ident, 2, LabelTxt[0]);
    QGridLayout* diode1 = rows(grpframe[1]);
    for (int i = 1; i <= 3; ++i)
        param(diode1, i);
    QGridLayout* diode2 = rows(grpframe[2]);
    for (int i = 4; i <= 8; ++i)
        param(diode2, i);
    QGridLayout* seuils = rows(grpframe[3]);
    for (int i = 10; i <= 14; ++i)
        param(seuils, i);
    QGridLayout* calibration = rows(grpframe[4]);
    for (int i = 1; i < kReadOnlyCount; ++i) {
        value(calibration, 11 + i, LabelTxt[static_cast<std::size_t>(i)]);
        grplabel[static_cast<std::size_t>(11 + i)]->setWordWrap(false); // one line per value
    }
    param(rows(grpframe[5]), 9);
    QGridLayout* operating = rows(grpframe[6]);
    for (int i = 0; i < kOperatingCount; ++i)
        value(operating, 32 + i, Label[static_cast<std::size_t>(i)]);
    auto* modes = new QGridLayout(grpframe[7]);
    for (int k = 0; k < 4; ++k)
        modes->addWidget(OptionMode[static_cast<std::size_t>(k)], k / 2, k % 2);
    modes->addWidget(BoutonReinitialiser, 2, 0, 1, 2);
    auto* dateTime = new QHBoxLayout(grpframe[8]);
    dateTime->addWidget(TxtDate);
    dateTime->addWidget(TxtTime);

    auto* left = new QVBoxLayout;
    for (int f : {0, 1, 2, 5})
        left->addWidget(grpframe[static_cast<std::size_t>(f)]);
    left->addStretch(1);
    auto* middle = new QVBoxLayout;
    for (int f : {3, 4})
        middle->addWidget(grpframe[static_cast<std::size_t>(f)]);
    middle->addStretch(1);
    auto* right = new QVBoxLayout;
    for (int f : {6, 7, 8})
        right->addWidget(grpframe[static_cast<std::size_t>(f)]);
    right->addWidget(BoutonImporter);
    right->addWidget(BoutonExporter);
    auto* pictures = new QHBoxLayout;
    for (QToolButton* b : {BoutonEeprom, BoutonImprimer, BoutonExit})
        pictures->addWidget(b);
    right->addLayout(pictures);
    right->addStretch(1);

    QWidget* page = Onglet->widget(0);
    auto* columns = new QHBoxLayout(page);
    columns->addLayout(left, 3);
    columns->addLayout(middle, 3);
    columns->addLayout(right, 2);
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(6, 6, 6, 6);
    root->addWidget(Onglet);
}

} // namespace tav
