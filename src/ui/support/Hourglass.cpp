#include "ui/support/Hourglass.h"

#include <QCursor>
#include <QGuiApplication>

namespace tav {

Hourglass::Hourglass() {
    QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

Hourglass::~Hourglass() {
    QGuiApplication::restoreOverrideCursor();
}

NormalCursor::NormalCursor() {
    QGuiApplication::setOverrideCursor(QCursor(Qt::ArrowCursor));
}

NormalCursor::~NormalCursor() {
    QGuiApplication::restoreOverrideCursor();
}

} // namespace tav
