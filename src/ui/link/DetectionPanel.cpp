#include "ui/link/DetectionPanel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace tav {

DetectionPanel::DetectionPanel(QWidget* window) : QFrame(window) {
    setObjectName(QStringLiteral("PanneauDetection"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    MessageBaudRate = new QLabel(QStringLiteral("Scan for "), this);
    MessageBaudRate->setObjectName(QStringLiteral("MessageBaudRate"));
    MessageBaudRate->setStyleSheet(QStringLiteral("font-weight:600; padding:4px;"));
    BoutonAnnuler = new QPushButton(QStringLiteral("Cancel"), this);
    BoutonAnnuler->setObjectName(QStringLiteral("BoutonAnnuler"));
    BoutonAnnuler->setCursor(Qt::ArrowCursor);
    auto* row = new QHBoxLayout(this);
    row->addWidget(MessageBaudRate, 1);
    row->addWidget(BoutonAnnuler);
    connect(BoutonAnnuler, &QPushButton::clicked, this, [this] { annulee_ = true; });
    hide();
}

void DetectionPanel::placer() {
    adjustSize();
    const QWidget* w = parentWidget();
    if (w)
        move((w->width() - width()) / 2, qMax(0, w->height() - height() - 16));
}

void DetectionPanel::ouvrir() {
    annulee_ = false;
    placer();
    show();
    raise();
}

} // namespace tav
