#include "core/AppState.h"

#include <QCoreApplication>
#include <QDir>

namespace tav {

AppState::AppState(QString dir, SerialPort& port, Clock& clk, Prompts& pr)
    : programDir(std::move(dir)), PortOEM(port), clock(clk), prompts(pr),
      processEvents([] { QCoreApplication::processEvents(); }) {}

QString AppState::filePath(const QString& name) const {
    return QDir(programDir).filePath(name);
}

} // namespace tav
