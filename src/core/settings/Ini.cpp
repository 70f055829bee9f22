#include "core/settings/Ini.h"

namespace tav {

QString LireIni(const QString&, const QString&, const QString&) { return {}; }
bool EcrireIni(const QString&, const QString&, const QString&, const QString&) { return false; }
double leadingNumber(const QString&) { return 0; }
qint64 leadingInteger(const QString&) { return 0; }
struct IniBatch::Impl {};
IniBatch::IniBatch(QString) : d(new Impl) {}
IniBatch::~IniBatch() { delete d; }
void IniBatch::write(const QString&, const QString&, const QString&) {}
bool IniBatch::commit() { return false; }

} // namespace tav
