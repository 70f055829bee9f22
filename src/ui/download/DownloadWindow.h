#pragma once

#include <QDialog>
#include <QStringList>

#include <functional>

class QAction;
class QLabel;
class QMenu;
class QMenuBar;
class QPushButton;

namespace tav {

struct AppState;

// What the two download windows share: the file menu and the file-name label, the start button
// locked while a download runs, the hourglass, and the file read and checked before anything
// is sent. While a download runs the window does not close (a close asks the customer window to
// stop between two lines).
class DownloadWindow : public QDialog {
    Q_OBJECT
public:
    // The chosen file (empty: none).
    QString fichier() const { return fichier_; }
    bool running() const { return running_; }

protected:
    DownloadWindow(AppState& s, QWidget* parent, bool factory);

    // End of the constructor: centre the window and open the port (a failure is told, the
    // window stays open).
    void opened();
    // The menu bar with one menu and its "Open" entry, under the names the window gives them.
    QMenuBar* buildFileMenu(const QString& menuName, const QString& entryName, QMenu*& menu,
                            QAction*& open);
    // The file-open dialog; a chosen name becomes the window's file and shows in `label`.
    void chooseFile(QLabel* label);
    void setFichier(const QString& path, QLabel* label);
    // Start: nothing without a file; otherwise reads and checks the file and hands its lines to
    // `download`, with `start` and the menu bar locked. The file-name label is emptied after a
    // download that ran.
    void run(QPushButton* start, QLabel* label,
             const std::function<void(const QStringList&)>& download);

    void closeEvent(QCloseEvent* event) override;
    void reject() override;

    AppState& s_;
    bool cancel_ = false; // a stop asked between two lines

private:
    QString fichier_;
    bool factory_;
    bool running_ = false;
    QMenuBar* bar_ = nullptr;
};

// MenuLoadHexFile: opens, modally, the factory window in the internal variant and the customer
// window otherwise (the factory marker is read at each call).
void executerTelechargement(AppState& s, QWidget* parent);

} // namespace tav
