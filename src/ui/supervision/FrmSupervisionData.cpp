#include "ui/supervision/FrmSupervisionData.h"

#include "core/AppState.h"
#include "core/Clock.h"
#include "core/control/MeasurementLog.h"
#include "core/link/Exchange.h"
#include "core/settings/Ini.h"
#include "core/translation/Texts.h"
#include "ui/supervision/SupervisionGraph.h"
#include "ui/support/Grid.h"
#include "ui/support/Hourglass.h"
#include "ui/support/Tabs.h"
#include "ui/support/TextLoader.h"
#include "ui/support/WindowPlacement.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>
#include <QValueAxis>
#include <QVBoxLayout>

namespace tav {

namespace {

const QString kWindow = QStringLiteral("FrmSupervisionData");
const QString kStart = QStringLiteral("&Start");
const QString kSelectAll = QStringLiteral("&Select all");

} // namespace

FrmSupervisionData::FrmSupervisionData(AppState& s, QWidget* parent)
    : QMainWindow(parent, Qt::Window), s_(s), recorder_(s) {
    setObjectName(kWindow);
    buildControls();
    Form_Load();
}

FrmSupervisionData::~FrmSupervisionData() {
    Form_Unload();
}

void FrmSupervisionData::buildControls() {
    setWindowTitle(QStringLiteral("OEM Data Supervision"));
    File = menuBar()->addMenu(QStringLiteral("File"));
    menuBar()->setNativeMenuBar(false);
    File->setObjectName(QStringLiteral("File"));
    save = File->addAction(QStringLiteral("Save"));
    save->setObjectName(QStringLiteral("save"));
    exit = File->addAction(QStringLiteral("Exit"));
    exit->setObjectName(QStringLiteral("exit"));
    connect(save, &QAction::triggered, this, &FrmSupervisionData::save_Click);
    connect(exit, &QAction::triggered, this, &QWidget::close);

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    OngletPrincipal = new TabControl(central);
    OngletPrincipal->setObjectName(QStringLiteral("OngletPrincipal"));
    QWidget* config = OngletPrincipal->addPage(QStringLiteral("Configuration"));
    QWidget* sheet = OngletPrincipal->addPage(QStringLiteral("Sheet"));
    QWidget* graph = OngletPrincipal->addPage(QStringLiteral("Graph"));

    auto* g = new QGridLayout(config);
    const auto box = [&](const char* name) {
        auto* e = new QLineEdit(config);
        e->setObjectName(QString::fromLatin1(name));
        e->setMaximumWidth(160);
        return e;
    };
    TxtSNU = box("TxtSNU");
    TxtFrequenceAcquisition = box("TxtFrequenceAcquisition");
    TxtModEnreg = box("TxtModEnreg");
    TxtExtension = box("TxtExtension");
    const QLineEdit* boxes[] = {TxtSNU, TxtFrequenceAcquisition, TxtModEnreg, TxtExtension};
    for (int i = 0; i < 5; ++i) {
        grplabel[i] = new QLabel(config);
        grplabel[i]->setObjectName(QStringLiteral("grplabel_%1").arg(i));
        g->addWidget(grplabel[i], i, 0);
        if (i < 4)
            g->addWidget(const_cast<QLineEdit*>(boxes[i]), i, 1);
    }
    NomFichier = new QLabel(config);
    NomFichier->setObjectName(QStringLiteral("NomFichier"));
    NomFichier->setTextInteractionFlags(Qt::TextSelectableByMouse);
    g->addWidget(NomFichier, 5, 0, 1, 2);
    g->setRowStretch(6, 1);
    g->setColumnStretch(2, 1);

    vaSpread = new Grid(sheet);
    vaSpread->setObjectName(QStringLiteral("vaSpread"));
    vaSpread->setColumnCount(kSupervisionColumns);
    vaSpread->setRowCount(kSupervisionRowGrowth);
    vaSpread->setReadOnly(true);
    (new QVBoxLayout(sheet))->addWidget(vaSpread);

    auto* graphLayout = new QHBoxLayout(graph);
    graphLayout->addWidget(buildGraphTab(), 1);
    graphLayout->addWidget(grpframe_1);

    layout->addWidget(OngletPrincipal, 1);
    auto* bottom = new QHBoxLayout;
    Message = new QLabel(central);
    Message->setObjectName(QStringLiteral("Message"));
    Message->setWordWrap(true);
    Bouton = new QPushButton(kStart, central);
    Bouton->setObjectName(QStringLiteral("Bouton"));
    Bouton->setAutoDefault(false);
    bottom->addWidget(Message, 1);
    bottom->addWidget(Bouton);
    layout->addLayout(bottom);
    setCentralWidget(central);
    connect(Bouton, &QPushButton::clicked, this, &FrmSupervisionData::Bouton_Click);

    Horloge = new QTimer(this);
    Horloge->setObjectName(QStringLiteral("Horloge"));
    Horloge->setInterval(250);
    connect(Horloge, &QTimer::timeout, this, &FrmSupervisionData::Horloge_Timer);
    graphTimer_ = new QTimer(this);
    graphTimer_->setSingleShot(true);
    graphTimer_->setInterval(100);
    connect(graphTimer_, &QTimer::timeout, this, &FrmSupervisionData::RafraichirGraphe);
    connect(OngletPrincipal, &TabControl::tabChanged, this, [this](int tab) {
        if (tab == 2)
            RafraichirGraphe();
    });
    resize(820, 560);
}

QWidget* FrmSupervisionData::buildGraphTab() {
    CWGraphAppareil = new SupervisionGraph;
    CWGraphAppareil->setAxisCaption(1, QStringLiteral("Duration (Hours)"));
    grpframe_1 = new QGroupBox(QStringLiteral("Graph"));
    grpframe_1->setObjectName(QStringLiteral("grpframe_1"));
    auto* v = new QVBoxLayout(grpframe_1);
    for (int i = 0; i < kCurveCount; ++i) {
        const CurveDef& d = curveDefs()[std::size_t(i)];
        auto* c = new QCheckBox(QString::fromUtf8(d.caption), grpframe_1);
        c->setObjectName(QStringLiteral("CheckGraphes_%1").arg(i));
        c->setToolTip(QString::fromUtf8(d.tooltip));
        connect(c, &QCheckBox::toggled, this, [this, i] { CheckGraphes_Click(i); });
        CheckGraphes[std::size_t(i)] = c;
        v->addWidget(c);
    }
    BoutonGraphe = new QPushButton(QStringLiteral("&Tout s\u00E9lectionner"), grpframe_1);
    BoutonGraphe->setObjectName(QStringLiteral("BoutonGraphe"));
    BoutonGraphe->setAutoDefault(false);
    connect(BoutonGraphe, &QPushButton::clicked, this, &FrmSupervisionData::BoutonGraphe_Click);
    v->addWidget(BoutonGraphe);
    v->addStretch(1);
    return CWGraphAppareil;
}

// ---------------------------------------------------------------------------------------------
// Load and unload

void FrmSupervisionData::Form_Load() {
    ChargerLangueCourante(s_);
    const TextLoader texts(s_, kWindow);
    texts.title(this);
    texts.family(grplabel, QStringLiteral("grplabel_"), 0, 4);
    texts.tabs(OngletPrincipal, QStringLiteral("tab_"), 0, 2);
    texts.caption(Bouton, QStringLiteral("bouton"));
    texts.caption(grpframe_1, QStringLiteral("grpframe_1"));
    texts.caption(BoutonGraphe, QStringLiteral("boutongraphe"));
    const QStringList header = supervisionHeader(s_);
    for (int c = 1; c <= kSupervisionColumns; ++c)
        vaSpread->setCellText(0, c, header[c - 1]);
    CWGraphAppareil->setAxisCaption(1, texts.text(QStringLiteral("axes_1")));
    centreOnScreen(this);

    const QString snu = EnvoyerCommande(s_, QStringLiteral("SNU?"));
    if (snu.isEmpty()) {
        linkFailed_ = true;
        File->setEnabled(false);
        OngletPrincipal->hide();
        Bouton->setEnabled(false);
        Message->setText(QStringLiteral("Serial Link failed (Check port number, cable,...). "
                                        "Restart OEM Data Supervision Window."));
        return;
    }
    TxtSNU->setText(snu.trimmed());
    const auto setting = [this](const QString& key) {
        return LireIni(s_.generalIni(), kSupervisionSection, key);
    };
    TxtExtension->setText(kDefaultRecordExtension);
    for (QLineEdit* e : {TxtFrequenceAcquisition, TxtModEnreg, TxtExtension}) {
        const QString v = setting(e->objectName());
        if (!v.isEmpty())
            e->setText(v);
    }
}

void FrmSupervisionData::Form_Unload() {
    if (unloaded_)
        return;
    unloaded_ = true;
    if (running_)
        endAcquisition();
    if (linkFailed_)
        return; // the boxes were never filled
    for (QLineEdit* e : {TxtFrequenceAcquisition, TxtModEnreg, TxtExtension})
        EcrireIni(s_.generalIni(), kSupervisionSection, e->objectName(), e->text());
}

void FrmSupervisionData::closeEvent(QCloseEvent* event) {
    if (ticking_) {
        // A row is being taken: it is finished first, then the window closes.
        ArretDemande = true;
        closePending_ = true;
        event->ignore();
        return;
    }
    Form_Unload();
    event->accept();
}

// ---------------------------------------------------------------------------------------------
// Start and stop

void FrmSupervisionData::Bouton_Click() {
    if (!running_) {
        start();
        return;
    }
    Bouton->setText(QStringLiteral("Sop now..."));
    ArretDemande = true;
    setSettingsEnabled(true);
}

void FrmSupervisionData::setSettingsEnabled(bool enabled) {
    File->setEnabled(enabled);
    for (QLineEdit* e : {TxtSNU, TxtFrequenceAcquisition, TxtModEnreg, TxtExtension})
        e->setEnabled(enabled);
}

void FrmSupervisionData::message(const QString& text, PromptIcon icon) {
    NormalCursor normal;
    s_.prompts.message(text, windowTitle(), icon);
}

bool FrmSupervisionData::start() {
    const auto period = acquisitionPeriod(TxtFrequenceAcquisition->text());
    const auto every = recordEvery(TxtModEnreg->text());
    if (!period || !every) {
        const QLabel* label = !period ? grplabel[1] : grplabel[2];
        message(QStringLiteral("\"%1\" must be a whole number of at least 1. Correct this box, "
                               "then click Start again.")
                    .arg(label->text()),
                PromptIcon::Critical);
        (!period ? TxtFrequenceAcquisition : TxtModEnreg)->setFocus();
        return false;
    }
    const QString dir = supervisionDir(s_.programDir);
    RecordFile& record = recorder_.file();
    if (!record.create(dir, recordBaseName(TxtSNU->text(), wallClock()), TxtExtension->text()) ||
        !recorder_.start({*period, *every, MissingAnswer::LeaveEmpty, RecordFormat::Tabs},
                         rowCells(0))) {
        record.discard();
        message(record.error() + u' ' + record.advice(), PromptIcon::Critical);
        return false;
    }
    if (!OuvrirPort(s_)) {
        QString text = TextLoader(s_, QStringLiteral("FrmEtalonnagePout")).text(QStringLiteral("msg_1_0"));
        if (text.isEmpty())
            text = QStringLiteral("The serial port could not be opened. Check the port number in "
                                  "the serial link settings and the cable, then start again.");
        record.discard();
        message(text, PromptIcon::Information);
        return false;
    }

    // Always the English texts, read once per run rather than on every tick.
    const TextLoader english(s_.langueIni(), kWindow + QStringLiteral("En"));
    msg_ = {english.text(QStringLiteral("msg_0")), english.text(QStringLiteral("msg_1"))};
    setSettingsEnabled(false);
    Bouton->setText(QStringLiteral("&Stop"));
    NomFichier->setText(QDir::toNativeSeparators(record.path()));
    vaSpread->clearBlock(1, 1);
    curves_.clear();
    stale_.fill(false);
    CWGraphAppareil->clearPlots();
    ArretDemande = false;
    vaSpread->goToCell(1, 1);
    LigneCourante = 1;
    running_ = true;
    Horloge->start();
    return true;
}

void FrmSupervisionData::endAcquisition() {
    FermerPort(s_);
    Message->hide();
    Horloge->stop();
    Bouton->setText(kStart);
    setSettingsEnabled(true);
    recorder_.finish();
    running_ = false;
}

// ---------------------------------------------------------------------------------------------
// The acquisition step

qint64 FrmSupervisionData::elapsedSeconds() const {
    return s_.clock.now() / 1000;
}

void FrmSupervisionData::Horloge_Timer() {
    if (ticking_ || !running_)
        return; // a box shown by the step lets the timer tick again
    ticking_ = true;
    bool end = ArretDemande;
    if (!end) {
        if (LigneCourante > 1) {
            Message->show();
            // The countdown, and a link lost (or just back) after it.
            QString text =
                nextMeasureText(recorder_.minutesLeft(elapsedSeconds()), msg_[0], msg_[1]);
            if (!recorder_.linkNote().isEmpty())
                text += QStringLiteral(" \u2014 ") + recorder_.linkNote();
            Message->setText(text);
            if (s_.processEvents)
                s_.processEvents();
        }
        if (LigneCourante > vaSpread->rowCount())
            vaSpread->setRowCount(vaSpread->rowCount() + kSupervisionRowGrowth);
        const QString date = logDateText(wallClock());
        if (recorder_.noteDate(date))
            vaSpread->setCellText(LigneCourante, 1, date);
        const qint64 now = elapsedSeconds();
        if (recorder_.due(now))
            end = !takeRow(now);
    }
    ticking_ = false;
    if (end && running_)
        endAcquisition();
    if (closePending_) {
        closePending_ = false;
        close();
    }
}

bool FrmSupervisionData::takeRow(qint64 now) {
    Hourglass wait;
    const int row = LigneCourante;
    RowHooks hooks;
    hooks.timed = [this, row](const QStringList& cells) {
        vaSpread->setCellText(row, 2, cells[1]);
        vaSpread->setCellText(row, 3, cells[2]);
    };
    hooks.store = [this, row](int column, const QString& answer) {
        return vaSpread->setCellText(row, column, answer);
    };
    hooks.stop = [this] { return ArretDemande; };
    hooks.failed = [this](const QString& command) {
        NormalCursor normal;
        return s_.prompts.askYesNo(
            QStringLiteral("Command failed ") + command +
                QStringLiteral("\n\nYes goes on with the row, No stops the acquisition."),
            windowTitle(), PromptIcon::Critical);
    };
    // A read without answer leaves its cell empty and the acquisition goes on.
    const RowOutcome taken = recorder_.takeRow(now, logTimeText(wallClock()), hooks);
    if (taken.row == 0)
        return false; // asked while events ran: the acquisition ends in this tick
    ArretDemande = ArretDemande || taken.endRun;
    TracerCourbes(-99);
    if (taken.writeFailed)
        message(recorder_.file().error() +
                    QStringLiteral(" The acquisition is stopped; the lines written before are "
                                   "kept in the file. ") +
                    recorder_.file().advice(),
                PromptIcon::Critical);
    if (row % kSupervisionScrollRows == 0)
        vaSpread->goToCell(row, 1, true);
    LigneCourante = recorder_.row();
    return !taken.writeFailed;
}

QStringList FrmSupervisionData::rowCells(int row) const {
    QStringList cells;
    for (int c = 1; c <= kSupervisionColumns; ++c)
        cells << vaSpread->cellText(row, c);
    return cells;
}

void FrmSupervisionData::save_Click() {
    Hourglass wait;
    RecordFile out;
    const QString dir = supervisionDir(s_.programDir);
    bool ok = out.create(dir, recordBaseName(TxtSNU->text(), wallClock()), TxtExtension->text());
    QByteArray chunk;
    const int last = vaSpread->lastRowWithData();
    for (int r = 1; ok && r <= last; ++r) {
        chunk += logLine(rowCells(r));
        if (chunk.size() > (1 << 20) || r == last) {
            ok = out.append(chunk);
            chunk.clear();
        }
    }
    if (!ok) {
        out.discard(); // a sheet saved in part would pass for the whole sheet
        message(out.error() + u' ' + out.advice(), PromptIcon::Critical);
        return;
    }
    out.close();
    message(QStringLiteral("The sheet is saved in %1.").arg(QDir::toNativeSeparators(out.path())),
            PromptIcon::Information);
}

// ---------------------------------------------------------------------------------------------
// Graphs

void FrmSupervisionData::TracerCourbes(int k) {
    const int last = vaSpread->lastRowWithData();
    if (last < 2)
        return;
    curves_.update(last, [this](int r, int c) { return vaSpread->cellText(r, c); });
    CWGraphAppareil->axis(1)->setRange(0, curves_.axisMax());
    for (int i = 0; i < kCurveCount; ++i) {
        if ((k != -99 && k != i) || !CheckGraphes[std::size_t(i)]->isChecked())
            continue;
        CWGraphAppareil->setPlotVisible(i + 1, true);
        stale_[std::size_t(i)] = true;
    }
    // A ticked box is drawn at once; rows coalesce into the next repaint of a shown graph.
    if (k != -99)
        RafraichirGraphe();
    else if (!graphTimer_->isActive())
        graphTimer_->start();
}

void FrmSupervisionData::RafraichirGraphe() {
    // A hidden graph gets its data when its tab is shown.
    if (!CWGraphAppareil->isVisible())
        return;
    bool changed = false;
    for (int i = 0; i < kCurveCount; ++i) {
        if (!stale_[std::size_t(i)])
            continue;
        stale_[std::size_t(i)] = false;
        CWGraphAppareil->setPlotData(i + 1, curves_.plot(i).points());
        changed = true;
    }
    if (changed)
        CWGraphAppareil->fitValueAxes();
}

void FrmSupervisionData::CheckGraphes_Click(int item) {
    if (!CheckGraphes[std::size_t(item)]->isChecked()) {
        CWGraphAppareil->setPlotVisible(item + 1, false);
        CWGraphAppareil->fitValueAxes();
        return;
    }
    TracerCourbes(item);
}

void FrmSupervisionData::BoutonGraphe_Click() {
    const bool select = BoutonGraphe->text().compare(kSelectAll, Qt::CaseInsensitive) == 0;
    for (QCheckBox* c : CheckGraphes)
        if (c->isEnabled())
            c->setChecked(select);
    BoutonGraphe->setText(select ? QStringLiteral("&De-select all") : kSelectAll);
}

} // namespace tav
