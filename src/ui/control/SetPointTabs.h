#pragma once

#include "ui/control/PanelControls.h"
#include "ui/support/Tabs.h"

#include <array>

class QGridLayout;
class QLabel;

namespace tav {

// The control panel's tab strip `OngletPilotage` and the set-point blocks on its pages: the
// output-power (tab 0) and diode-current (tab 1) set points, the external-mode notices (tabs 2,
// 3), and on the thresholds tab the input-power threshold, the eye-safety limit, the eye-safety
// box and "Send to Board".
//
// Each set-point channel is a caption, a box `Txt`(i), a slider `CWSlide`(i) and, under the box,
// a notice line that says when a typed value was limited or refused. The box colour records the
// state of its value (white, grey, yellow while a threshold is typed, light red under "XXX" when
// the board cannot give it). The strip is as high as
// the page shown, not as the tallest page.
class SetPointTabs : public TabControl {
    Q_OBJECT
public:
    enum class BoxColour { White, Grey, Yellow, Unavailable };

    SetPointTabs(PanelControls& c, QWidget* parent);

    BoxColour boxColour(int channel) const { return colour_[channel]; }
    void setBoxColour(int channel, BoxColour colour);
    // Back to the colour the box had before it was typed in (white or grey).
    void restoreUntypedColour(int channel);

    // Number of the box text, and the box text from a value in the channel's format.
    double boxValue(int channel) const;
    void setBoxText(int channel, double value);
    // Notice line under a box; empty clears it.
    void setNotice(int channel, const QString& text);
    QString notice(int channel) const;

    // The eye-safety limit row of the thresholds tab.
    void showLimitRow(bool shown);

signals:
    // Enter in box i.
    void boxEntered(int channel);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void addChannel(QGridLayout* g, int row, int channel, QWidget* page,
                    const QString& caption);
    void fitCurrentPage();

    PanelControls& c_;
    std::array<BoxColour, 4> colour_{};
    std::array<BoxColour, 4> untyped_{};
    std::array<QLabel*, 4> notice_{};
};

} // namespace tav
