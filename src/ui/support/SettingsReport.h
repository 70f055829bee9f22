#pragma once

#include <QObject>
#include <QSet>
#include <QString>

namespace tav {

struct AppState;
class Prompts;

// Tells the operator that settings could not be saved, once per kind of failure (the system's
// reason) for as long as it lives; the main window keeps one for the run. The message is shown
// after the handler that wrote the setting has returned, so a poll tick is never held up.
class SettingsFailureReport : public QObject {
public:
    SettingsFailureReport(Prompts& prompts, QString title, QObject* parent);
    ~SettingsFailureReport() override; // stops listening

private:
    Prompts& prompts_;
    QString title_;
    QSet<QString> reported_;
};

// One message for "General.ini" and "langue.ini" when they exist but hold none of their
// sections (binary garbage, an empty copy): which file, and how to restore its defaults.
// Empty when both are sound or missing.
QString damagedSettingsMessage(const AppState& s);

} // namespace tav
