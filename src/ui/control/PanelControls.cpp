#include "ui/control/PanelControls.h"

#include <QApplication>
#include <QLabel>
#include <QPalette>
#include <QWidget>

namespace tav {

const QColor PanelColours::kLightGreen(128, 255, 128);
const QColor PanelColours::kLightRed(255, 128, 128);
const QColor PanelColours::kPeach(255, 224, 192);
const QColor PanelColours::kRed(255, 0, 0);
const QColor PanelColours::kOrange(255, 128, 0);
const QColor PanelColours::kTeal(0, 192, 192);
const QColor PanelColours::kLightYellow(255, 255, 128);

QColor PanelColours::buttonFace() {
    return QApplication::palette().color(QPalette::Button);
}

namespace panel {

QString indexed(const char* name, int i) {
    return QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(i);
}

QLabel* caption(PanelControls& c, QWidget* parent, int i, const QString& text) {
    c.grplabel[i] = make<QLabel>(parent, indexed("grplabel", i));
    c.grplabel[i]->setText(text);
    return c.grplabel[i];
}

void colour(QWidget* w, const QColor& background, const QColor& text) {
    QPalette p = w->palette();
    p.setColor(QPalette::Window, background);
    p.setColor(QPalette::WindowText, text);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

void textColour(QWidget* w, const QColor& text) {
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, text);
    w->setPalette(p);
}

QFont boldFont(const QWidget* w, double scale) {
    QFont f = w->font();
    f.setPointSizeF(f.pointSizeF() * scale);
    f.setBold(true);
    return f;
}

} // namespace panel

} // namespace tav
