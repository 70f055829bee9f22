#include "ui/config/FrmImpression.h"

#include "core/AppState.h"
#include "core/Prompts.h"
#include "core/control/MeasurementLog.h"
#include "ui/support/Hourglass.h"
#include "ui/support/WindowPlacement.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace tav {

const QString FrmImpression::kTitle = QStringLiteral("Aprerçu avant impression");

namespace {
constexpr double kPreviewDpi = 72;
} // namespace

FrmImpression::FrmImpression(AppState& s, ConfigReport report, QWidget* parent)
    : QDialog(parent), s_(s), report_(std::move(report)),
      dateText_(logDateText(QDateTime::currentDateTime())) {
    setObjectName(QStringLiteral("FrmImpression"));
    setWindowTitle(kTitle);
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("Pages"));
    scroll->setBackgroundRole(QPalette::Dark);
    auto* sheet = new QWidget;
    pageColumn_ = new QVBoxLayout(sheet);
    pageColumn_->setSpacing(12);
    pageColumn_->setAlignment(Qt::AlignHCenter);
    scroll->setWidget(sheet);
    scroll->setWidgetResizable(true);

    auto button = [this](const char* name, const QString& text) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        return b;
    };
    BoutonImprimer = button("BoutonImprimer", QStringLiteral("Imprimer…"));
    BoutonExportPdf = button("BoutonExportPdf", QStringLiteral("Export PDF…"));
    BoutonFermer = button("BoutonFermer", QStringLiteral("Fermer"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BoutonImprimer);
    buttons->addWidget(BoutonExportPdf);
    buttons->addStretch(1);
    buttons->addWidget(BoutonFermer);
    auto* root = new QVBoxLayout(this);
    root->addWidget(scroll, 1);
    root->addLayout(buttons);
    connect(BoutonImprimer, &QPushButton::clicked, this, &FrmImpression::BoutonImprimer_Click);
    connect(BoutonExportPdf, &QPushButton::clicked, this, &FrmImpression::BoutonExportPdf_Click);
    connect(BoutonFermer, &QPushButton::clicked, this, &QDialog::accept);

    ImprimerConfigurationCarte();
    resize(int(setup_.page.width() / kTwipsPerInch * kPreviewDpi) + 80, 760);
    centreOnScreen(this);
}

void FrmImpression::ImprimerConfigurationCarte() {
    Hourglass wait;
    setup_ = ReportPageSetup{};
    setup_.dateText = dateText_;
    pages_ = layoutReport(report_, setup_);
    for (const ReportPage& page : pages_) {
        auto* view = new QLabel;
        view->setPixmap(QPixmap::fromImage(reportPageImage(page, setup_, kPreviewDpi)));
        view->setFrameStyle(QFrame::Box | QFrame::Plain);
        pageColumn_->addWidget(view);
    }
}

void FrmImpression::BoutonImprimer_Click() {
    QPrinter printer(QPrinter::HighResolution);
    printer.setFullPage(true);
    QPrintPreviewDialog preview(&printer, this);
    preview.setWindowTitle(kTitle);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* p) {
        p->setFullPage(true);
        renderReport(report_, *p, dateText_);
    });
    preview.exec();
}

void FrmImpression::BoutonExportPdf_Click() {
    const QString suggested = QDir(s_.programDir)
                                  .filePath(QStringLiteral("Configuration %1.pdf")
                                                .arg(report_.serial.isEmpty() ? QStringLiteral("carte")
                                                                              : report_.serial));
    QString file = s_.prompts.saveFileName(QStringLiteral("Export PDF"), suggested,
                                           QStringLiteral("PDF (*.pdf)"));
    if (file.isEmpty()) return;
    if (QFileInfo(file).suffix().isEmpty()) file += QStringLiteral(".pdf");
    QString error;
    bool ok = false;
    {
        Hourglass wait;
        ok = exportReportPdf(report_, file, dateText_, &error);
    }
    if (!ok) s_.prompts.message(error, QStringLiteral("Export PDF"), PromptIcon::Critical);
}

} // namespace tav
