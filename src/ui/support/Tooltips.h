#pragma once

#include <QString>

#include <initializer_list>

class QWidget;

namespace tav {

struct AppState;

// Tooltip loaders. A value control carries a catalogue key number ("7") in its tooltip until its
// window opens; loading replaces it by the catalogue text stored under that key in the given
// section of "General.ini" ("SOP (Set output power)"). A missing key leaves the tooltip empty,
// which means the control has no command. Loading twice would look the text itself up as a key
// and empty the tooltip: each window loads once, when it opens.

// One control: tooltip = LireIni(General.ini, section, current tooltip).
void loadTooltip(const AppState& s, const QString& section, QWidget* control);

// Several controls in order; null entries are skipped.
template <typename Controls>
void loadTooltips(const AppState& s, const QString& section, const Controls& controls) {
    for (auto* c : controls)
        loadTooltip(s, section, c);
}
inline void loadTooltips(const AppState& s, const QString& section,
                         std::initializer_list<QWidget*> controls) {
    for (auto* c : controls)
        loadTooltip(s, section, c);
}

// Puts the key number into the control's tooltip and loads the catalogue text at once
// (used when a control changes its command at run time).
void assignTooltip(const AppState& s, const QString& section, QWidget* control, int key);

// The command mnemonic of a control: its tooltip text before the first blank; empty (no
// command) when the tooltip holds no blank.
QString mnemonicOf(const QWidget* control);

} // namespace tav
