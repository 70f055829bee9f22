#pragma once

class QApplication;

namespace tav {

struct AppState;

// Counts the operator's actions (a mouse press or a key press outside the program's message,
// input and file boxes, a window closed from its title bar) in s.actionOperateur, so that one
// action reports a port failure, or a settings save that failed, once.
void suivreActionsOperateur(QApplication& app, AppState& s);

} // namespace tav
