#include "core/link/FlowLog.h"

namespace tav {

void FlowLog::append(List list, const QString& text) {
    auto& l = lines_[list];
    const qint64 stamp = QDateTime::currentMSecsSinceEpoch();
    l.push_back({text, stamp});
    emit appended(list, text, stamp);
    // The list is emptied once it reaches the limit, the line just added included.
    if (l.size() >= kMaxLines) {
        l.clear();
        emit cleared(list);
    }
}

void FlowLog::clear() {
    for (int i = 0; i < 2; ++i) {
        lines_[i].clear();
        emit cleared(i);
    }
}

} // namespace tav
