#include "ui/calibration/FrmEtalonnage.h"

#include "core/AppState.h"
#include "core/Prompts.h"
#include "core/calibration/Calibration.h"
#include "core/link/Catalogue.h"
#include "core/link/Exchange.h"
#include "core/poll/Poll.h"
#include "core/control/PanelRules.h"
#include "core/translation/Texts.h"
#include "ui/calibration/EntryCheck.h"
#include "ui/support/Hourglass.h"
#include "ui/support/TextLoader.h"
#include "ui/support/Tooltips.h"
#include "ui/support/WindowPlacement.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tav {

namespace {

QString utf8(const char* text) {
    return QString::fromUtf8(text);
}

bool containsWord(const QString& answer, const char* word) {
    return answer.contains(QLatin1String(word), Qt::CaseInsensitive);
}

} // namespace

FrmEtalonnage::FrmEtalonnage(AppState& s, const CalibrationDef& def, QWidget* parent)
    : QWidget(parent, Qt::Window), s_(s), def_(def) {
    setObjectName(QString::fromLatin1(def_.window));
    buildControls();
    Form_Load();

    auto* check = new EntryCheck(this, true, [this](QLineEdit* box) {
        TxtPoint_Check(box == TxtPoint[0] ? 0 : 1);
    });
    for (int p = 0; p < 2; ++p) {
        check->watch(TxtPoint[p]);
        connect(BoutonPoint[p], &QPushButton::clicked, this, [this, p] { BoutonPoint_Click(p); });
    }
    connect(BoutonExit, &QPushButton::clicked, this, &FrmEtalonnage::BoutonExit_Click);
}

FrmEtalonnage::~FrmEtalonnage() {
    // Destroyed without being closed (the main window went away): the poll must not call back.
    Form_Unload();
}

void FrmEtalonnage::buildControls() {
    setWindowTitle(utf8(def_.title));
    auto label = [this](QWidget* parent, const QString& name) {
        auto* l = new QLabel(parent);
        l->setObjectName(name);
        return l;
    };
    for (int i = 0; i < 5; ++i)
        grplabel[i] = label(this, QStringLiteral("grplabel_%1").arg(i));
    for (int i = 0; i < 3; ++i) {
        ReadLabel[i] = label(this, QStringLiteral("ReadLabel_%1").arg(i));
        ReadLabel[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        ReadLabel[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        ReadLabel[i]->setMinimumWidth(80);
    }
    auto* layout = new QVBoxLayout(this);
    for (int p = 0; p < 2; ++p) {
        grpframe[p] = new QGroupBox(utf8(def_.frames[p]), this);
        grpframe[p]->setObjectName(QStringLiteral("grpframe_%1").arg(p));
        TxtPoint[p] = new QLineEdit(grpframe[p]);
        TxtPoint[p]->setObjectName(QString::fromLatin1(def_.boxes[p]));
        TxtPoint[p]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        TxtPoint[p]->setFixedWidth(80);
        // Catalogue keys until the load replaces them by the catalogue texts.
        TxtPoint[p]->setToolTip(QString::number(def_.writeKeys[p]));
        BoutonPoint[p] = new QPushButton(QStringLiteral("&Valider"), grpframe[p]);
        BoutonPoint[p]->setObjectName(QString::fromLatin1(def_.buttons[p]));
        BoutonPoint[p]->setAutoDefault(false);
        BoutonPoint[p]->setEnabled(false); // until the port is open
        QLabel* reference = grplabel[2 * p];
        QLabel* prompt = grplabel[2 * p + 1];
        reference->setParent(grpframe[p]);
        prompt->setParent(grpframe[p]);
        ReadLabel[p]->setParent(grpframe[p]);
        auto* g = new QGridLayout(grpframe[p]);
        g->addWidget(reference, 0, 0);
        g->addWidget(ReadLabel[p], 0, 1);
        g->addWidget(prompt, 1, 0);
        g->addWidget(TxtPoint[p], 1, 1);
        g->addWidget(BoutonPoint[p], 1, 2);
        g->setColumnStretch(0, 1);
        layout->addWidget(grpframe[p]);
    }
    for (int i = 0; i < 5; ++i)
        grplabel[i]->setText(utf8(def_.labels[i]));
    ReadLabel[2]->setToolTip(QString::number(def_.adKey));

    BoutonExit = new QPushButton(QStringLiteral("Exit"), this);
    BoutonExit->setObjectName(QStringLiteral("BoutonExit"));
    BoutonExit->setAutoDefault(false);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(grplabel[4]);
    bottom->addWidget(ReadLabel[2]);
    bottom->addStretch(1);
    bottom->addWidget(BoutonExit);
    layout->addLayout(bottom);
    layout->addStretch(1);
    resize(sizeHint().expandedTo(QSize(480, 0)));
}

// ---------------------------------------------------------------------------------------------
// Load and unload

void FrmEtalonnage::Form_Load() {
    HandlerDepth::Scope busy(handlers_);
    if (s_.FenetreActive < 0) {
        // Not opened from its menu entry: close at once, touching nothing.
        loadAborted_ = true;
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
        return;
    }
    Hourglass wait;
    centreOnScreen(this);
    ChargerLangueCourante(s_);
    const TextLoader texts(s_, QString::fromLatin1(def_.section));
    texts.title(this);
    texts.family(grpframe, QStringLiteral("grpframe_"), 0, 1);
    for (int p = 0; p < 2; ++p)
        texts.caption(BoutonPoint[p], QString::fromLatin1(def_.buttonKeys[p]));
    texts.family(grplabel, QStringLiteral("grplabel_"), 0, 4);
    loadTooltips(s_, kWriteSyn, TxtPoint);
    loadTooltip(s_, kReadSyn, ReadLabel[2]);

    if (!OuvrirPort(s_)) {
        portFailure();
        return;
    }
    for (QPushButton* b : BoutonPoint)
        b->setEnabled(true);
    ReadLabel[0]->setText(plainNumber(s_.ReferenceMin));
    ReadLabel[1]->setText(plainNumber(s_.ReferenceMax));

    const QString answer = exchange(QStringLiteral("ASS=1"));
    if (!containsWord(answer, "ASS!")) {
        message(QStringLiteral("Calibration failed."));
        return;
    }
    if (s_.TempsRafraichissement > kPollPeriodMax) s_.TempsRafraichissement = kPollPeriodMax;
    if (s_.Timer) {
        s_.Timer->setRefresh(def_.code, [this] { TraiterTopEtalonnage(); });
        s_.Timer->start();
    }
}

void FrmEtalonnage::portFailure() {
    linkFailed_ = true;
    QString text = def_.portFailure ? utf8(def_.portFailure)
                                    : texte(s_, QString::fromLatin1(def_.section),
                                            QStringLiteral("msg_1_0"));
    if (text.isEmpty()) text = portFailureFallback();
    const QString title = def_.portFailureTitle ? utf8(def_.portFailureTitle) : windowTitle();
    NormalCursor normal;
    s_.prompts.message(text, title, def_.portFailureIcon);
}

void FrmEtalonnage::Form_Unload() {
    if (unloaded_) return;
    unloaded_ = true;
    if (loadAborted_) return;
    if (s_.Timer) {
        s_.Timer->clearRefresh(def_.code);
        s_.Timer->stop();
    }
    // Nothing was started on a port that could not be opened: nothing to stop.
    if (!linkFailed_) {
        Hourglass wait;
        if (!containsWord(EnvoyerCommande(s_, QStringLiteral("ASS=0")), "ASS!"))
            message(utf8(def_.closingFailure));
    }
    s_.FenetreActive = AppState::kNoWindow;
}

void FrmEtalonnage::closeEvent(QCloseEvent* event) {
    Form_Unload();
    handlers_.closing(); // a handler further up the stack may still use the window
    event->accept();
}

void FrmEtalonnage::BoutonExit_Click() {
    close();
}

// ---------------------------------------------------------------------------------------------
// Helpers

QString FrmEtalonnage::exchange(const QString& command) {
    // After the window closed, nothing may reopen the port.
    if (unloaded_) return {};
    return EnvoyerCommande(s_, command);
}

void FrmEtalonnage::message(const QString& text, const QString& title) {
    NormalCursor normal;
    s_.prompts.message(text, title.isEmpty() ? windowTitle() : title, PromptIcon::Critical);
}

// ---------------------------------------------------------------------------------------------
// Points

bool FrmEtalonnage::TxtPoint_Check(int point) {
    return acceptNumericBox(s_, TxtPoint[point],
                            utf8("Veuillez saisir une valeur numérique."), windowTitle());
}

void FrmEtalonnage::BoutonPoint_Click(int point) {
    // One operation at a time: a click that arrives while another handler waits for the
    // board is ignored.
    if (handlers_.busy() || unloaded_ || done_[point]) return;
    HandlerDepth::Scope busy(handlers_);
    QLineEdit* box = TxtPoint[point];
    if (!TxtPoint_Check(point)) return;
    const std::optional<qint16> tenths = tenthsOf(box->text());
    if (!tenths) {
        // Would not fit the board's 16-bit value: refused before anything is sent.
        message(powerOutOfRangeText(box->text()));
        box->setFocus();
        return;
    }
    const QString mne = mnemonicOf(box);
    if (mne.isEmpty()) {
        message(QStringLiteral("This box has no board command: entry %1 of WRITE SYN in "
                               "General.ini is missing or has no mnemonic. Restore it, then "
                               "open this window again. Nothing was sent.")
                    .arg(def_.writeKeys[point]));
        return;
    }

    Hourglass wait;
    const QString password = exchange(QStringLiteral("PWD=QUILTA"));
    if (password.isEmpty() || unloaded_) return;
    if (!containsWord(password, "PWD!")) {
        message(utf8(def_.adminRefusal));
        return;
    }
    const QString answer = exchange(mne + u'=' + QString::number(*tenths));
    if (!answer.contains(u'!') && !unloaded_) message(calibrationWriteFailure(mne, answer));

    const QString ad = mnemonicOf(ReadLabel[2]);
    if (!ad.isEmpty()) {
        const QString value = adText(exchange(ad + u'?'));
        if (!value.isEmpty()) ReadLabel[2]->setText(value);
    }
    done_[point] = true;
    BoutonPoint[point]->setEnabled(false);
    grpframe[point]->hide();
    keepReadBack(point);
}

void FrmEtalonnage::keepReadBack(int point) {
    // The poll shows what the board stored in the point's box: the box stays in sight, read-only,
    // in a row of its own where the frame was.
    auto* row = new QWidget(this);
    row->setObjectName(QStringLiteral("ReadBack_%1").arg(point));
    auto* h = new QHBoxLayout(row);
    h->setContentsMargins(grpframe[point]->contentsMargins());
    h->addWidget(new QLabel(grpframe[point]->title(), row), 1);
    QLineEdit* box = TxtPoint[point];
    box->setReadOnly(true);
    h->addWidget(box);
    auto* vbox = static_cast<QVBoxLayout*>(layout());
    vbox->insertWidget(vbox->indexOf(grpframe[point]) + 1, row);
    row->show();
}

void FrmEtalonnage::TraiterTopEtalonnage() {
    // The read-back never runs inside a button's exchanges.
    if (handlers_.busy() || unloaded_) return;
    HandlerDepth::Scope busy(handlers_);
    for (int point : {1, 0}) {
        const QString mne = mnemonicOf(TxtPoint[point]);
        if (!done_[point] || mne.isEmpty()) continue;
        const QString text = tenthsText(exchange(mne + u'?'));
        if (!text.isEmpty() && !unloaded_) TxtPoint[point]->setText(text);
    }
    const QString mne = mnemonicOf(ReadLabel[1]);
    if (!mne.isEmpty()) {
        const QString text = adText(exchange(mne + u'?'));
        if (!text.isEmpty() && !unloaded_) ReadLabel[1]->setText(text);
    }
}

} // namespace tav
