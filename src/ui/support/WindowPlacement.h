#pragma once

class QWidget;

namespace tav {

// left = (screen width - window width) / 2, top = (screen height - window height) / 2.
void centreOnScreen(QWidget* window);

// Places a window beside another one (right or left of it), kept on the screen.
void placeBeside(QWidget* window, const QWidget* other, bool right);

} // namespace tav
