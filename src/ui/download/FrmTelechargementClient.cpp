#include "ui/download/FrmTelechargementClient.h"

#include "core/AppState.h"
#include "core/download/Download.h"
#include "core/settings/Ini.h"
#include "ui/support/Slider.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace tav {

namespace {

const QString kSection = QStringLiteral("LOAD_HEX_FILE");
const QString kName = QStringLiteral("Name");

// Up to 10 scale divisions that fall on whole line numbers.
int wholeDivisions(int lines) {
    for (int d = std::min(lines, 10); d > 1; --d)
        if (lines % d == 0) return d;
    return 1;
}

} // namespace

FrmTelechargementClient::FrmTelechargementClient(AppState& s, QWidget* parent)
    : DownloadWindow(s, parent, false) {
    setObjectName(QStringLiteral("FrmTelechargementClient"));
    for (int i = 0; i < 2; ++i) {
        grplabel[i] = new QLabel(i == 0 ? QStringLiteral("File to load") : QString(), this);
        grplabel[i]->setObjectName(QStringLiteral("grplabel_%1").arg(i));
    }
    Gauge = new NumericSlider(this);
    Gauge->setObjectName(QStringLiteral("Gauge"));
    Gauge->setReadOnly(true);
    Gauge->setRange(0, 1);
    BoutonStart = new QPushButton(QStringLiteral("Start"), this);
    BoutonStart->setObjectName(QStringLiteral("BoutonStart"));
    BoutonCancel = new QPushButton(QStringLiteral("Cancel"), this);
    BoutonCancel->setObjectName(QStringLiteral("BoutonCancel"));
    BoutonCancel->setEnabled(false); // only a running download can be cancelled

    auto* file = new QHBoxLayout;
    file->addWidget(grplabel[0]);
    file->addWidget(grplabel[1], 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BoutonStart);
    buttons->addWidget(BoutonCancel);
    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(buildFileMenu(QStringLiteral("File"), QStringLiteral("open"), File, open));
    layout->addLayout(file);
    layout->addWidget(Gauge);
    layout->addLayout(buttons);

    connect(open, &QAction::triggered, this, &FrmTelechargementClient::open_Click);
    connect(BoutonStart, &QPushButton::clicked, this, &FrmTelechargementClient::BoutonStart_Click);
    connect(BoutonCancel, &QPushButton::clicked, this,
            &FrmTelechargementClient::BoutonCancel_Click);

    const QString stored = LireIni(s_.generalIni(), kSection, kName);
    if (!stored.isEmpty()) setFichier(stored, grplabel[1]);
    resize(520, 160);
    opened();
}

void FrmTelechargementClient::open_Click() {
    chooseFile(grplabel[1]);
    EcrireIni(s_.generalIni(), kSection, kName, fichier());
}

void FrmTelechargementClient::BoutonStart_Click() {
    DownloadHooks hooks;
    hooks.started = [this](int total) {
        Gauge->setRange(0, total);
        Gauge->setMajorDivisions(wholeDivisions(total));
    };
    hooks.progress = [this](int sent) { Gauge->setValue(sent); };
    hooks.cancelled = [this] { return cancel_; };
    BoutonCancel->setEnabled(true);
    run(BoutonStart, grplabel[1],
        [&](const QStringList& lines) { TelechargerClient(s_, lines, hooks); });
    BoutonCancel->setEnabled(false);
}

void FrmTelechargementClient::BoutonCancel_Click() {
    cancel_ = true;
    if (s_.processEvents) s_.processEvents();
}

} // namespace tav
