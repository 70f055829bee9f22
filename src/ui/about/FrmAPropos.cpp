#include "ui/about/FrmAPropos.h"

#include "core/AppState.h"
#include "core/Prompts.h"
#include "core/link/Exchange.h"
#include "core/poll/Poll.h"
#include "core/settings/Variant.h"
#include "ui/support/WindowPlacement.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace tav {

namespace {
const QString kEmbedded = QStringLiteral("Embedded Software : ");
} // namespace

QString captionAPropos() {
    return QStringLiteral("TAV SOFTWARE V %1.%2%3")
        .arg(TAV_VERSION_MAJOR)
        .arg(TAV_VERSION_MINOR)
        .arg(TAV_VERSION_PATCH);
}

FrmAPropos::FrmAPropos(AppState& s, std::function<void()> montrerEntreesUsine, QWidget* parent)
    : QWidget(parent, Qt::Window), s_(s), montrerEntreesUsine_(std::move(montrerEntreesUsine)) {
    setObjectName(QStringLiteral("FrmAPropos"));
    Label = new QLabel(this);
    Label->setObjectName(QStringLiteral("Label"));
    Label->setAlignment(Qt::AlignCenter);
    Label->setStyleSheet(QStringLiteral("font-size:14pt; font-weight:600; color:#1d4e89;"));
    TxtVER = new QLineEdit(this);
    TxtVER->setObjectName(QStringLiteral("TxtVER"));
    TxtVER->setReadOnly(true);
    TxtVER->setFrame(false);
    TxtVER->setStyleSheet(QStringLiteral("background: transparent;"));
    TxtVER->setAlignment(Qt::AlignCenter);
    TxtVER->setMinimumWidth(320);
    TxtVER->installEventFilter(this);
    Horloge = new QTimer(this);
    Horloge->setObjectName(QStringLiteral("Horloge"));
    connect(Horloge, &QTimer::timeout, this, &FrmAPropos::Horloge_Timer);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 24, 24, 24);
    layout->setSpacing(16);
    layout->addWidget(Label);
    layout->addWidget(TxtVER);
}

void FrmAPropos::Form_Load() {
    setWindowTitle(captionAPropos());
    Label->setText(VarianteUsine(s_.programDir) ? QStringLiteral("Internal Version")
                                                : QStringLiteral("Customer Version"));
    TxtVER->setText(kEmbedded);
    adjustSize();
    centreOnScreen(this);
    if (!OuvrirPort(s_)) return; // the opening reported why; the box keeps its texts
    Horloge->setInterval(std::clamp<qint32>(s_.TempsRafraichissement, 0, kPollPeriodMax));
    Horloge->start();
    versionDemandee_ = true;
}

void FrmAPropos::Horloge_Timer() {
    Horloge->stop(); // one query per opening: at a period of 0 the timer would spin
    if (!versionDemandee_) return;
    HandlerDepth::Scope busy(handlers_);
    versionDemandee_ = false; // before the exchange, which may let another tick run
    // The board's own form: a second carriage return after the command.
    TxtVER->setText(kEmbedded + EnvoyerCommande(s_, QStringLiteral("VER?\r")));
}

void FrmAPropos::TxtVER_Click() {
    HandlerDepth::Scope busy(handlers_);
    const QString mot = s_.prompts
                            .inputSecret(QStringLiteral("Veuillez saisir le mot de passe."),
                                         QStringLiteral("Passer en soft usine"))
                            .value_or(QString());
    if (mot.compare(QString::fromUtf16(kAdminPassword), Qt::CaseInsensitive) != 0) {
        s_.prompts.message(QStringLiteral("Mot de passe invalide."), captionAPropos(),
                           PromptIcon::Critical);
        return;
    }
    if (!EcrireMarqueurUsine(s_.programDir))
        return; // the settings store reports a file it cannot write
    if (montrerEntreesUsine_) montrerEntreesUsine_();
}

void FrmAPropos::closeEvent(QCloseEvent* event) {
    Horloge->stop();
    Horloge->setInterval(0);
    handlers_.closing();
    QWidget::closeEvent(event);
}

void FrmAPropos::keyPressEvent(QKeyEvent* event) {
    // No button: without window decorations Escape is the way out.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool FrmAPropos::eventFilter(QObject* watched, QEvent* event) {
    if (watched == TxtVER && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        TxtVER_Click();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void ouvrirAPropos(AppState& s, QWidget* mainWindow, std::function<void()> montrerEntreesUsine) {
    // A closed box may wait for its deletion: only a visible one is brought forward.
    for (FrmAPropos* open :
         mainWindow->findChildren<FrmAPropos*>(QString(), Qt::FindDirectChildrenOnly))
        if (open->isVisible()) {
            open->raise();
            open->activateWindow();
            return;
        }
    auto* w = new FrmAPropos(s, std::move(montrerEntreesUsine), mainWindow);
    w->setAttribute(Qt::WA_DeleteOnClose);
    w->Form_Load();
    w->show();
}

} // namespace tav
