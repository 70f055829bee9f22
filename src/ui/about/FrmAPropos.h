#pragma once

#include "ui/support/HandlerDepth.h"

#include <QWidget>

#include <functional>

class QLabel;
class QLineEdit;
class QTimer;

namespace tav {

struct AppState;

// The about box (modeless): program version, installation variant and the version of the
// software embedded in the board, asked once per opening. A click on the embedded-software
// line asks for the administrator password and enters the internal variant.
class FrmAPropos : public QWidget {
    Q_OBJECT
public:
    // `montrerEntreesUsine` shows the main window's factory menu entries.
    FrmAPropos(AppState& s, std::function<void()> montrerEntreesUsine, QWidget* parent = nullptr);

    void Form_Load();
    void Horloge_Timer();
    void TxtVER_Click();

    QLabel* Label;
    QLineEdit* TxtVER;
    QTimer* Horloge;

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    AppState& s_;
    std::function<void()> montrerEntreesUsine_;
    // The one query of this opening is still to be made. The window's own flag: the poll's
    // refresh request is shared with the polled windows, whose tick may take it first.
    bool versionDemandee_ = false;
    HandlerDepth handlers_{*this};
};

// Caption of the about box: "TAV SOFTWARE V " + major "." minor revision.
QString captionAPropos();

// "?": opens the about box, or brings the open one forward.
void ouvrirAPropos(AppState& s, QWidget* mainWindow, std::function<void()> montrerEntreesUsine);

} // namespace tav
