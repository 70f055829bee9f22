#pragma once

#include <QWidget>

#include <array>

class QCheckBox;
class QLabel;
class QListView;
class QPushButton;
class QTimer;

namespace tav {

struct AppState;
class FlowListModel;

// Serial-flow window (modeless): shows the two lists the exchange logs while FluxActif is set.
// The lines live in AppState::flow, so lines logged while the window is hidden, or after it was
// unloaded, are shown when it opens again; unloading the window empties them. Each line can carry a millisecond time stamp (CheckHorodatage) to
// read response times; the logged text itself is never changed.
class FrmVisualisationFlux final : public QWidget {
    Q_OBJECT
public:
    explicit FrmVisualisationFlux(AppState& s, QWidget* parent = nullptr);
    ~FrmVisualisationFlux() override;

    QListView* SendList = nullptr;
    QListView* AnswerList = nullptr;
    QPushButton* BoutonCorbeille = nullptr;
    QCheckBox* CheckHorodatage = nullptr;
    std::array<QLabel*, 2> grplabel{};

    FlowListModel* sendModel() const { return models_[0]; }
    FlowListModel* answerModel() const { return models_[1]; }

    // Empties both lists.
    void BoutonCorbeille_Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void chargerTextes();
    void montrerDernieres();

    AppState& s_;
    std::array<FlowListModel*, 2> models_{};
    // Keeping the newest line in view lays the list out again; it is done once per pass of the
    // event loop rather than once per line, so a burst of lines costs one layout.
    QTimer* suivi_ = nullptr;
};

} // namespace tav
