#pragma once

class QWidget;

namespace tav {

// left = (screen width - window width) / 2, top = (screen height - window height) / 2.
void centreOnScreen(QWidget* window);

} // namespace tav
