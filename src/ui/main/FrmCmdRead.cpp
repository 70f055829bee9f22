#include "ui/main/FrmCmdRead.h"

#include "core/AppState.h"
#include "core/link/Catalogue.h"
#include "core/settings/Ini.h"
#include "core/translation/Texts.h"
#include "ui/support/Grid.h"
#include "ui/support/Hourglass.h"
#include "ui/support/TextLoader.h"
#include "ui/support/WindowPlacement.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QVBoxLayout>

namespace tav {

namespace {

constexpr int kColDescription = 1;
constexpr int kColMnemonic = 2;
constexpr int kColMark = 3;
constexpr int kInitialRows = 25;
constexpr int kSpareRows = 10;

const QString kMark = QStringLiteral("X");
const QString kSelectAll = QStringLiteral("&Select all");
const QString kDeselectAll = QStringLiteral("&De-select all");

bool isMark(const QString& text) {
    return text.compare(kMark, Qt::CaseInsensitive) == 0;
}

} // namespace

FrmCmdRead::FrmCmdRead(AppState& s, QWidget* parent) : QDialog(parent), s_(s) {
    setObjectName(QStringLiteral("FrmCmdRead"));
    setModal(true);

    vaSpreadRead = new Grid(this);
    vaSpreadRead->setObjectName(QStringLiteral("vaSpreadRead"));
    vaSpreadRead->setColumnCount(3);
    Enregistrer = new QPushButton(this);
    Enregistrer->setObjectName(QStringLiteral("Enregistrer"));
    Selectionner = new QPushButton(kSelectAll, this);
    Selectionner->setObjectName(QStringLiteral("Selectionner"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Selectionner);
    buttons->addStretch();
    buttons->addWidget(Enregistrer);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(vaSpreadRead);
    layout->addLayout(buttons);

    vaSpreadRead->horizontalHeader()->setSectionResizeMode(kColDescription - 1,
                                                           QHeaderView::Stretch);
    vaSpreadRead->setColumnWidth(kColMnemonic - 1, 80);
    vaSpreadRead->setColumnWidth(kColMark - 1, 90);
    resize(640, 480);

    connect(Enregistrer, &QPushButton::clicked, this, &FrmCmdRead::Enregistrer_Click);
    connect(Selectionner, &QPushButton::clicked, this, &FrmCmdRead::Selectionner_Click);
    connect(vaSpreadRead, &Grid::cellClicked, this, &FrmCmdRead::vaSpreadRead_Click);

    // Opening: centre, texts, then the list.
    centreOnScreen(this);
    ChargerLangueCourante(s_);
    const TextLoader texts(s_, QStringLiteral("FrmCmdRead"));
    texts.title(this);
    for (int c = 1; c <= 3; ++c)
        vaSpreadRead->setCellText(0, c, texts.text(QStringLiteral("header_%1").arg(c)));
    texts.named({Enregistrer, Selectionner});

    ChargerCommandesGet();
}

void FrmCmdRead::ChargerCommandesGet() {
    Grid& g = *vaSpreadRead;
    g.setRedraw(false);
    g.clearBlock(1, 1);
    g.setRowCount(kInitialRows);
    const QString file = s_.generalIni();
    int row = 0;
    for (const CatalogueEntry& e : readCatalogue(file, kCmdReadSyn)) {
        ++row;
        if (g.rowCount() < row)
            g.setRowCount(row);
        const EntryParts parts = splitEntry(e.text);
        g.setCellText(row, kColMnemonic, parts.mnemonic);
        g.setCellText(row, kColDescription, parts.description);
        // The mark of the entry's own key, which differs from the row after a "NOT USED".
        g.setCellStatic(row, kColMark, true);
        g.setCellCentered(row, kColMark, true);
        g.setCellColor(row, kColMark, QColor(255, 0, 0));
        g.setCellText(row, kColMark, LireIni(file, kReadX, QString::number(e.key)));
    }
    g.setRowCount(g.lastRowWithData() + kSpareRows);
    // Marks are toggled by clicks only, on every row.
    for (int r = 1; r <= g.rowCount(); ++r)
        g.setCellStatic(r, kColMark, true);
    g.setRedraw(true);
}

void FrmCmdRead::SauverCommandesGet() {
    const Grid& g = *vaSpreadRead;
    const QString file = s_.generalIni();
    const int last = g.lastRowWithData();

    // Entries left beyond the last row (those moved up over a "NOT USED" one, or rows the
    // operator emptied) are removed, so the list reads back as it was shown.
    QList<int> stale;
    for (int k = last + 1; !LireIni(file, kCmdReadSyn, QString::number(k)).isEmpty(); ++k)
        stale << k;

    IniBatch ini(file);
    for (int r = 1; r <= last; ++r) {
        const QString key = QString::number(r);
        ini.write(kCmdReadSyn, key,
                  joinEntry(g.cellText(r, kColMnemonic), g.cellText(r, kColDescription)));
        ini.write(kReadX, key, QString());
        if (isMark(g.cellText(r, kColMark)))
            ini.write(kReadX, key, kMark);
    }
    for (int k : stale) {
        ini.write(kCmdReadSyn, QString::number(k), QString());
        ini.write(kReadX, QString::number(k), QString());
    }
    ini.commit();
}

void FrmCmdRead::Enregistrer_Click() {
    {
        const Hourglass wait;
        SauverCommandesGet();
    }
    accept();
}

void FrmCmdRead::setMark(int row, bool marked) {
    Grid& g = *vaSpreadRead;
    if (marked) {
        g.setCellStatic(row, kColMark, true);
        g.setCellCentered(row, kColMark, true);
        g.setCellColor(row, kColMark, QColor(255, 0, 0));
        g.setCellText(row, kColMark, kMark);
    } else {
        g.setCellText(row, kColMark, QString());
    }
}

void FrmCmdRead::Selectionner_Click() {
    const bool selectAll = Selectionner->text().compare(kSelectAll, Qt::CaseInsensitive) == 0;
    const int last = vaSpreadRead->lastRowWithData();
    for (int r = 1; r <= last; ++r)
        setMark(r, selectAll);
    Selectionner->setText(selectAll ? kDeselectAll : kSelectAll);
}

void FrmCmdRead::vaSpreadRead_Click(int row, int col) {
    if (col != kColMark || row < 1 || row > vaSpreadRead->rowCount())
        return;
    setMark(row, !isMark(vaSpreadRead->cellText(row, kColMark)));
}

} // namespace tav
