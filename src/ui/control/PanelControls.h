#pragma once

#include <QColor>
#include <QFont>
#include <QString>

#include <array>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class QWidget;

namespace tav {

class Grid;
class Lamp;
class NumericSlider;
class TabControl;

// Colours of the control panel.
struct PanelColours {
    static const QColor kLightGreen, kLightRed, kPeach, kRed, kOrange, kTeal, kLightYellow;
    // The system's button face: greyed boxes.
    static QColor buttonFace();
};

// The controls of the control panel by their names (arrays: Name_i). The window and the blocks
// it is built from (set-point tabs, status column, readings) each create their part.
struct PanelControls : PanelColours {
    TabControl* OngletPilotage = nullptr;
    std::array<QGroupBox*, 9> grpframe{};
    std::array<QLabel*, 26> grplabel{};
    std::array<QLineEdit*, 4> Txt{};
    std::array<NumericSlider*, 4> CWSlide{};
    std::array<QLabel*, 6> ReadLabel{};
    std::array<Lamp*, 7> VoyantAlarme{};
    std::array<Lamp*, 7> VoyantWarning{};
    std::array<QLabel*, 7> grplabelWarning{};
    std::array<QLabel*, 1> LabelStatus{};
    QLabel* LabelAAPC = nullptr;
    QLabel* LabelAACC = nullptr;
    QCheckBox* CheckActivateEyeSafety = nullptr;
    QPushButton* BoutonSendToBoard = nullptr;
    QPushButton* BoutonWAR = nullptr;
    QLabel* LabelDate = nullptr;
    QLabel* LabelTime = nullptr;
    Lamp* Voyant = nullptr;
    QLabel* LabelSNU = nullptr;
    QToolButton* BoutonStart = nullptr;
    QToolButton* BoutonStop = nullptr;
    QToolButton* BoutonExit = nullptr;
    QCheckBox* CheckEnregistrement = nullptr;
    QLabel* Message = nullptr;
    Grid* vaSpreadAlarmes = nullptr;
    Grid* vaSpreadMesure = nullptr;
};

namespace panel {

// A named control: objectName = name.
template <class T> T* make(QWidget* parent, const QString& name) {
    auto* w = new T(parent);
    w->setObjectName(name);
    return w;
}
// "name_i", the objectName of member i of a control array.
QString indexed(const char* name, int i);
// Caption grplabel(i) with its built-in text.
QLabel* caption(PanelControls& c, QWidget* parent, int i, const QString& text);
// Filled background and text colour.
void colour(QWidget* w, const QColor& background, const QColor& text);
void textColour(QWidget* w, const QColor& text);
// The widget's font, bold and scaled.
QFont boldFont(const QWidget* w, double scale = 1.0);

} // namespace panel

} // namespace tav
