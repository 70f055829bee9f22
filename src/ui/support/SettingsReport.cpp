#include "ui/support/SettingsReport.h"

#include "core/AppState.h"
#include "core/Prompts.h"
#include "core/io/WriteError.h"
#include "core/poll/Poll.h"
#include "core/settings/Ini.h"

#include <QDir>
#include <QFileInfo>
#include <QThread>
#include <QTimer>

namespace tav {

namespace {
const SettingsFailureReport* listening = nullptr;
} // namespace

SettingsFailureReport::SettingsFailureReport(AppState& s, QString title, QObject* parent)
    : QObject(parent), s_(s), title_(std::move(title)) {
    listening = this;
    setIniFailureHandler([this](const IniFailure& failure) { failed(failure); });
}

SettingsFailureReport::~SettingsFailureReport() {
    if (listening != this)
        return;
    listening = nullptr;
    setIniFailureHandler({});
}

void SettingsFailureReport::failed(const IniFailure& failure) {
    const bool inTick = s_.Timer && s_.Timer->tickRunning();
    const QString what = failure.file + u'\n' + failure.reason;
    const bool repeated = inTick && what == toldFailure_ && savesWhenTold_ == iniWritesSucceeded();
    if (toldAction_ == s_.actionOperateur || repeated)
        return;
    toldAction_ = s_.actionOperateur;
    toldFailure_ = what;
    savesWhenTold_ = iniWritesSucceeded();
    const QString folder = QFileInfo(failure.file).absolutePath();
    const QString text =
        QStringLiteral("The settings could not be saved in %1: %2. The change is not kept. %3")
            .arg(QDir::toNativeSeparators(failure.file), failure.reason,
                 writeAdvice(failure.reason, folder));
    if (!inTick && QThread::currentThread() == thread()) {
        s_.prompts.message(text, title_, PromptIcon::Critical);
        return;
    }
    // Shown by a timer, not a queued call, so that serving the display inside an exchange
    // never opens it (timers wait for the end of the exchange).
    const auto showLater = [this, text] {
        auto* later = new QTimer(this);
        later->setSingleShot(true);
        connect(later, &QTimer::timeout, this, [this, text, later] {
            later->deleteLater();
            s_.prompts.message(text, title_, PromptIcon::Critical);
        });
        later->start(0);
    };
    if (QThread::currentThread() == thread())
        showLater();
    else
        QMetaObject::invokeMethod(this, showLater, Qt::QueuedConnection);
}

} // namespace tav
