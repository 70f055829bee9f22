#include "ui/download/DownloadWindow.h"

#include "core/AppState.h"
#include "core/Prompts.h"
#include "core/download/Download.h"
#include "core/link/Exchange.h"
#include "core/settings/Variant.h"
#include "ui/download/FrmTelechargement.h"
#include "ui/download/FrmTelechargementClient.h"
#include "ui/support/Hourglass.h"
#include "ui/support/WindowPlacement.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

namespace tav {

DownloadWindow::DownloadWindow(AppState& s, QWidget* parent, bool factory)
    : QDialog(parent), s_(s), factory_(factory) {
    setWindowTitle(QString::fromUtf16(factory ? kTitreUsine : kTitreClient));
    setModal(true);
}

QMenuBar* DownloadWindow::buildFileMenu(const QString& menuName, const QString& entryName,
                                        QMenu*& menu, QAction*& open) {
    bar_ = new QMenuBar(this);
    bar_->setNativeMenuBar(false);
    menu = bar_->addMenu(QStringLiteral("File"));
    menu->setObjectName(menuName);
    open = menu->addAction(QStringLiteral("Open"));
    open->setObjectName(entryName);
    return bar_;
}

void DownloadWindow::opened() {
    centreOnScreen(this);
    if (!OuvrirPort(s_))
        s_.prompts.message(
            factory_ ? QStringLiteral("Initialisation du port de communication impossible.")
                     : QStringLiteral("Serial Link initialization failed."),
            windowTitle(), PromptIcon::Information);
}

void DownloadWindow::chooseFile(QLabel* label) {
    const QString dir = fichier_.isEmpty() ? s_.programDir : QFileInfo(fichier_).absolutePath();
    const QString chosen = s_.prompts.openFileName(
        QStringLiteral("Open"), dir, QStringLiteral("Intel-HEX (*.hex *.ihx);;All files (*)"));
    if (!chosen.isEmpty()) setFichier(chosen, label);
}

void DownloadWindow::setFichier(const QString& path, QLabel* label) {
    fichier_ = path;
    label->setText(path);
}

void DownloadWindow::run(QPushButton* start, QLabel* label,
                         const std::function<void(const QStringList&)>& download) {
    if (fichier_.isEmpty() || running_) return;
    running_ = true;
    cancel_ = false;
    start->setEnabled(false);
    bar_->setEnabled(false);
    {
        Hourglass wait;
        if (const auto lines = preparerTelechargement(s_, fichier_, factory_)) {
            download(*lines);
            label->clear();
        }
    }
    start->setEnabled(true);
    bar_->setEnabled(true);
    running_ = false;
}

void DownloadWindow::closeEvent(QCloseEvent* event) {
    if (running_) {
        cancel_ = true;
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void DownloadWindow::reject() {
    if (running_)
        cancel_ = true;
    else
        QDialog::reject();
}

void executerTelechargement(AppState& s, QWidget* parent) {
    if (VarianteUsine(s.programDir)) {
        FrmTelechargement w(s, parent);
        w.exec();
    } else {
        FrmTelechargementClient w(s, parent);
        w.exec();
    }
}

} // namespace tav
