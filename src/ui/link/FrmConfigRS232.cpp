#include "ui/link/FrmConfigRS232.h"

#include "core/AppState.h"
#include "core/Prompts.h"
#include "core/link/LineCheck.h"
#include "core/link/SerialPort.h"
#include "core/settings/Ini.h"
#include "core/settings/Variant.h"
#include "core/translation/Texts.h"
#include "ui/support/TextLoader.h"
#include "ui/support/WindowPlacement.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSerialPortInfo>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

#include <algorithm>

namespace tav {

namespace {

const QString kRs232 = QStringLiteral("RS232");

// Shows a port's description after its name in the drop-down list; the list text (what is
// stored) stays the bare name.
class PortDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        const QString d = index.data(FrmConfigRS232::kDescriptionRole).toString();
        if (!d.isEmpty()) option->text += QStringLiteral("  \u2014  ") + d;
    }
};

QComboBox* liste(QWidget* parent, const char* name) {
    auto* c = new QComboBox(parent);
    c->setObjectName(QString::fromLatin1(name));
    c->setEditable(true);
    c->setInsertPolicy(QComboBox::NoInsert);
    return c;
}

} // namespace

FrmConfigRS232::FrmConfigRS232(AppState& s, QWidget* parent) : QDialog(parent), s_(s) {
    setObjectName(QStringLiteral("FrmConfigRS232"));
    setWindowTitle(QStringLiteral("Serial Link"));
    setModal(true);

    grpframe = new QGroupBox(this);
    grpframe->setObjectName(QStringLiteral("grpframe"));
    ListePortCom = liste(grpframe, "ListePortCom");
    ListePortCom->setItemDelegate(new PortDelegate(ListePortCom));
    ListePortCom->setMinimumContentsLength(14);
    ListeBaudRate = liste(grpframe, "ListeBaudRate");
    ListeParite = liste(grpframe, "ListeParite");
    ListeBitsDonnees = liste(grpframe, "ListeBitsDonnees");
    ListeBitsStop = liste(grpframe, "ListeBitsStop");
    TxtSleepTwoChars = new QLineEdit(grpframe);
    TxtSleepTwoChars->setObjectName(QStringLiteral("TxtSleepTwoChars"));

    const std::array<const char*, 5> captions{"Serial Port Number", "Baud Rate", "Parity Mode",
                                              "Number of data bit", "Number of stop bit"};
    for (int i = 0; i < 5; ++i) {
        grplabel_5[i] = new QLabel(QString::fromLatin1(captions[i]), grpframe);
        grplabel_5[i]->setObjectName(QStringLiteral("grplabel_5_%1").arg(i));
    }
    grplabel_5[10] = new QLabel(QStringLiteral("Sleep between two characters (ms)"), grpframe);
    grplabel_5[10]->setObjectName(QStringLiteral("grplabel_5_10"));

    BoutonValider = new QPushButton(QStringLiteral("Validate"), this);
    BoutonValider->setObjectName(QStringLiteral("BoutonValider"));
    BoutonExit = new QPushButton(QStringLiteral("Exit"), this);
    BoutonExit->setObjectName(QStringLiteral("BoutonExit"));
    BoutonValider->setDefault(true);

    auto* grid = new QGridLayout(grpframe);
    const std::array<QWidget*, 5> lists{ListePortCom, ListeBaudRate, ListeParite, ListeBitsDonnees,
                                        ListeBitsStop};
    for (int i = 0; i < 5; ++i) {
        grid->addWidget(grplabel_5[i], i, 0);
        grid->addWidget(lists[i], i, 1);
    }
    grid->addWidget(grplabel_5[10], 5, 0);
    grid->addWidget(TxtSleepTwoChars, 5, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BoutonValider);
    buttons->addWidget(BoutonExit);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(grpframe);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize); // shrinks with the hidden rows

    connect(BoutonValider, &QPushButton::clicked, this, &FrmConfigRS232::BoutonValider_Click);
    connect(BoutonExit, &QPushButton::clicked, this, &FrmConfigRS232::BoutonExit_Click);

    // 1. Texts.
    chargerTextes();

    // 2. Lists and their initial texts.
    remplirPorts();
    ListePortCom->setEditText(QStringLiteral("COM1"));
    for (int i = 0; i < 5; ++i)
        ListeBaudRate->addItem(QString::number(2400 << i));
    ListeBaudRate->addItem(QStringLiteral("115200"));
    ListeBaudRate->setEditText(QStringLiteral("9600"));
    ListeParite->addItems({QStringLiteral("NONE"), QStringLiteral("ODD"), QStringLiteral("EVEN")});
    ListeParite->setEditText(QStringLiteral("NONE"));
    ListeBitsDonnees->addItems({QStringLiteral("7"), QStringLiteral("8")});
    ListeBitsDonnees->setEditText(QStringLiteral("8"));
    ListeBitsStop->addItems({QStringLiteral("1"), QStringLiteral("1.5"), QStringLiteral("2")});
    ListeBitsStop->setEditText(QStringLiteral("1"));

    // 3. Stored values replace the initial texts.
    const QString ini = s_.generalIni();
    const auto stocke = [&](const char* key, auto setter) {
        const QString v = LireIni(ini, kRs232, QString::fromLatin1(key));
        if (!v.isEmpty()) setter(v);
    };
    stocke("PORT", [this](const QString& v) { ListePortCom->setEditText(v); });
    stocke("PARITE", [this](const QString& v) { ListeParite->setEditText(v); });
    stocke("BAUD", [this](const QString& v) { ListeBaudRate->setEditText(v); });
    stocke("DATA", [this](const QString& v) { ListeBitsDonnees->setEditText(v); });
    stocke("STOP", [this](const QString& v) { ListeBitsStop->setEditText(v); });
    stocke("TxtSleepTwoChars", [this](const QString& v) { TxtSleepTwoChars->setText(v); });
    montrerPortEntier();
    connect(ListePortCom, &QComboBox::editTextChanged, this, &FrmConfigRS232::montrerPortEntier);

    // 4. Customer variant: only the port can be changed.
    if (!VarianteUsine(s_.programDir)) {
        for (QWidget* w :
             {static_cast<QWidget*>(ListeBaudRate), static_cast<QWidget*>(ListeParite),
              static_cast<QWidget*>(ListeBitsDonnees), static_cast<QWidget*>(ListeBitsStop),
              static_cast<QWidget*>(TxtSleepTwoChars)})
            w->hide();
        for (int i : {1, 2, 3, 4, 10})
            grplabel_5[i]->hide();
    }
    adjustSize();
    centreOnScreen(this);
}

void FrmConfigRS232::remplirPorts() {
    for (int n = 1; n <= 20; ++n)
        ListePortCom->addItem(QStringLiteral("COM%1").arg(n));

    // The ports the system reports, read afresh at each opening. One that is the device of a
    // COMn entry annotates that entry instead of being listed twice.
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        const QString path = info.systemLocation();
        QString description = info.description();
        if (!info.manufacturer().isEmpty() && !description.contains(info.manufacturer()))
            description = description.isEmpty()
                              ? info.manufacturer()
                              : description + QStringLiteral(", ") + info.manufacturer();
        int row = -1;
        for (int n = 1; n <= 20 && row < 0; ++n) {
            if (deviceForPortName(QStringLiteral("COM%1").arg(n)) == path) row = n - 1;
        }
        if (row < 0) {
            if (ListePortCom->findText(path, Qt::MatchFixedString) >= 0) continue;
            ListePortCom->addItem(path);
            row = ListePortCom->count() - 1;
        }
        ListePortCom->setItemData(row, description, kDescriptionRole);
        ListePortCom->setItemData(row, description.isEmpty() ? path : path + u'\n' + description,
                                  Qt::ToolTipRole);
    }
}

void FrmConfigRS232::chargerTextes() {
    ChargerLangueCourante(s_);
    const TextLoader t(s_, QStringLiteral("FrmConfigRS232"));
    t.title(this);
    t.family(grplabel_5, QStringLiteral("grplabel_5_"), 0, 4);
    t.named({BoutonValider});
    // Pause box and frame: texts where the file has them, else the built-in ones.
    const QString pause = t.text(QStringLiteral("grplabel_5_10"));
    if (!pause.isEmpty()) grplabel_5[10]->setText(pause);
    grpframe->setTitle(t.text(QStringLiteral("grplabel_5_12")));
}

void FrmConfigRS232::montrerPortEntier() {
    // A device path is shown whole, up to a width that still fits a screen; the tooltip always
    // holds all of it.
    const QString text = ListePortCom->currentText();
    const int needed = ListePortCom->fontMetrics().horizontalAdvance(text) + 48;
    ListePortCom->setMinimumWidth(std::min(needed, 640));
    ListePortCom->setToolTip(text);
}

bool FrmConfigRS232::reglagesUtilisables() {
    // Hidden fields (customer variant) keep whatever is stored.
    if (!VarianteUsine(s_.programDir)) return true;
    const LineFields f{ListeBaudRate->currentText(), ListeParite->currentText(),
                       ListeBitsDonnees->currentText(), ListeBitsStop->currentText()};
    const LineField bad = unusableLineField(f);
    if (bad == LineField::None) return true;
    const int i = int(bad); // Baud..Stop caption the lists 1..4
    const QString typed = std::array{f.baud, f.baud, f.parity, f.data, f.stop}[i];
    QString hint;
    switch (bad) {
    case LineField::Baud:
        hint = QStringLiteral("a whole number of bits per second");
        break;
    case LineField::Parity:
        hint = QStringLiteral("NONE, ODD, EVEN, MARK or SPACE");
        break;
    case LineField::Data:
        hint = QStringLiteral("5, 6, 7 or 8");
        break;
    default:
        hint = QStringLiteral("1 or 2 on this computer");
        break;
    }
    s_.prompts.message(QStringLiteral("%1: \"%2\" cannot be used by the serial port. Choose %3. "
                                      "Nothing was stored.")
                           .arg(grplabel_5[i]->text(), typed.trimmed(), hint),
                       windowTitle(), PromptIcon::Critical);
    return false;
}

void FrmConfigRS232::BoutonValider_Click() {
    if (!reglagesUtilisables()) return;
    const QString ini = s_.generalIni();
    const std::array<std::pair<const char*, QString>, 6> valeurs{{
        {"PORT", ListePortCom->currentText().trimmed()},
        {"BAUD", ListeBaudRate->currentText().trimmed()},
        {"PARITE", ListeParite->currentText().trimmed()},
        {"DATA", ListeBitsDonnees->currentText().trimmed()},
        {"STOP", ListeBitsStop->currentText().trimmed()},
        {"TxtSleepTwoChars", TxtSleepTwoChars->text().trimmed()},
    }};
    for (const auto& [key, value] : valeurs)
        EcrireIni(ini, kRs232, QString::fromLatin1(key), value);
    accept();
}

void FrmConfigRS232::BoutonExit_Click() {
    reject();
}

} // namespace tav
