#include "ui/support/HandlerDepth.h"

#include <QWidget>

namespace tav {

void HandlerDepth::closing() {
    if (depth_ > 0 && window_.testAttribute(Qt::WA_DeleteOnClose)) {
        window_.setAttribute(Qt::WA_DeleteOnClose, false);
        deleteWhenIdle_ = true;
    }
}

HandlerDepth::Scope::~Scope() {
    if (--d_.depth_ == 0 && d_.deleteWhenIdle_) {
        d_.deleteWhenIdle_ = false;
        d_.window_.deleteLater();
    }
}

} // namespace tav
