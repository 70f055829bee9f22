#include "ui/download/FrmTelechargement.h"

#include "core/AppState.h"
#include "core/download/Download.h"

#include <QAction>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace tav {

namespace {

QListWidget* newList(QWidget* parent, const QString& name) {
    auto* list = new QListWidget(parent);
    list->setObjectName(name);
    list->setUniformItemSizes(true);
    return list;
}

void append(QListWidget* list, const QString& text) {
    list->addItem(text);
    list->scrollToBottom();
}

} // namespace

FrmTelechargement::FrmTelechargement(AppState& s, QWidget* parent)
    : DownloadWindow(s, parent, true) {
    setObjectName(QStringLiteral("FrmTelechargement"));
    const char* texts[] = {"Sleep Between Two Rows (ms)", "File to load", ""};
    for (int i = 0; i < 3; ++i) {
        grplabel[i] = new QLabel(QString::fromLatin1(texts[i]), this);
        grplabel[i]->setObjectName(QStringLiteral("grplabel_%1").arg(i));
    }
    TxtSleep = new QLineEdit(this);
    TxtSleep->setObjectName(QStringLiteral("TxtSleep"));
    TxtSleep->setValidator(new QIntValidator(0, kMaxPauseMs, TxtSleep));
    TxtSleep->setMaximumWidth(80);
    CheckAcknowledge = new QCheckBox(QStringLiteral("Acknowledge from Device"), this);
    CheckAcknowledge->setObjectName(QStringLiteral("CheckAcknowledge"));
    BoutonStart = new QPushButton(QStringLiteral("Start"), this);
    BoutonStart->setObjectName(QStringLiteral("BoutonStart"));
    ListToLoad = newList(this, QStringLiteral("ListToLoad"));
    ListFromBoard = newList(this, QStringLiteral("ListFromBoard"));
    // A whole 16-byte record shows (43 characters); answers are short.
    ListToLoad->setMinimumWidth(ListToLoad->fontMetrics().horizontalAdvance(QString(44, u'D')) +
                                30);
    ListFromBoard->setMinimumWidth(160);

    auto* top = new QGridLayout;
    top->addWidget(grplabel[0], 0, 0);
    top->addWidget(TxtSleep, 0, 1);
    top->addWidget(CheckAcknowledge, 0, 2);
    top->addWidget(BoutonStart, 0, 3);
    top->addWidget(grplabel[1], 1, 0);
    top->addWidget(grplabel[2], 1, 1, 1, 3);
    top->setColumnStretch(2, 1);
    auto* lists = new QHBoxLayout;
    lists->addWidget(ListToLoad, 2);
    lists->addWidget(ListFromBoard, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(
        buildFileMenu(QStringLiteral("MenuFile"), QStringLiteral("MenuOpen"), MenuFile, MenuOpen));
    layout->addLayout(top);
    layout->addLayout(lists, 1);

    connect(MenuOpen, &QAction::triggered, this, &FrmTelechargement::MenuOpen_Click);
    connect(BoutonStart, &QPushButton::clicked, this, &FrmTelechargement::BoutonStart_Click);
    resize(720, 420);
    opened();
}

void FrmTelechargement::MenuOpen_Click() {
    chooseFile(grplabel[2]);
}

void FrmTelechargement::BoutonStart_Click() {
    if (fichier().isEmpty() || running()) return;
    ListToLoad->clear();
    ListFromBoard->clear();
    DownloadHooks hooks;
    hooks.sending = [this](const QString& line) { append(ListToLoad, line); };
    hooks.acknowledged = [this](const QString& answer) { append(ListFromBoard, answer); };
    hooks.pauseMs = [this] { return pauseLigne(TxtSleep->text()); };
    run(BoutonStart, grplabel[2], [&](const QStringList& lines) {
        TelechargerUsine(s_, lines, CheckAcknowledge->isChecked(), hooks);
    });
}

} // namespace tav
