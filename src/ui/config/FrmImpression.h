#pragma once

#include "core/config/ConfigReport.h"
#include "report/ReportLayout.h"

#include <QDialog>

class QPrinter;
class QPushButton;
class QVBoxLayout;

namespace tav {

struct AppState;

// "Aprerçu avant impression": the configuration report of the values the configuration window
// holds, shown page by page, printed through the print preview or exported to a PDF file.
// Modal. Nothing is read from the board.
class FrmImpression : public QDialog {
    Q_OBJECT
public:
    FrmImpression(AppState& s, ConfigReport report, QWidget* parent = nullptr);

    static const QString kTitle;

    // Lays out the report and shows its pages.
    void ImprimerConfigurationCarte();
    // Print preview (and printing) through the system's print dialogs.
    void BoutonImprimer_Click();
    // Asks for a file name and writes the report as PDF; no printer is involved.
    void BoutonExportPdf_Click();

    const QList<ReportPage>& pages() const { return pages_; }

    QPushButton* BoutonImprimer = nullptr;
    QPushButton* BoutonExportPdf = nullptr;
    QPushButton* BoutonFermer = nullptr;

private:
    AppState& s_;
    ConfigReport report_;
    QString dateText_;
    ReportPageSetup setup_;
    QList<ReportPage> pages_;
    QVBoxLayout* pageColumn_ = nullptr;
};

} // namespace tav
