#include "ui/link/FrmVisualisationFlux.h"

#include "core/AppState.h"
#include "core/translation/Texts.h"
#include "ui/link/FlowListModel.h"
#include "ui/support/TextLoader.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QStyle>
#include <QTimer>

namespace tav {

FrmVisualisationFlux::FrmVisualisationFlux(AppState& s, QWidget* parent)
    : QWidget(parent, Qt::Window), s_(s) {
    setObjectName(QStringLiteral("FrmVisualisationFlux"));
    setWindowTitle(QStringLiteral("Serial link flow"));

    const std::array<FlowLog::List, 2> which{FlowLog::Sent, FlowLog::Answers};
    const std::array<const char*, 2> names{"SendList", "AnswerList"};
    std::array<QListView*, 2> views{};
    for (int i = 0; i < 2; ++i) {
        grplabel[i] = new QLabel(this);
        grplabel[i]->setObjectName(QStringLiteral("grplabel_%1").arg(i));
        models_[i] = new FlowListModel(s_.flow, which[i], this);
        views[i] = new QListView(this);
        views[i]->setObjectName(QString::fromLatin1(names[i]));
        views[i]->setModel(models_[i]);
        views[i]->setUniformItemSizes(true);
        views[i]->setEditTriggers(QAbstractItemView::NoEditTriggers);
        views[i]->setSelectionMode(QAbstractItemView::ExtendedSelection);
    }
    SendList = views[0];
    AnswerList = views[1];
    suivi_ = new QTimer(this);
    suivi_->setSingleShot(true);
    suivi_->setInterval(0);
    connect(suivi_, &QTimer::timeout, this, &FrmVisualisationFlux::montrerDernieres);
    for (FlowListModel* m : models_) {
        connect(m, &QAbstractItemModel::rowsInserted, this, [this] {
            if (isVisible() && !suivi_->isActive())
                suivi_->start();
        });
    }

    BoutonCorbeille = new QPushButton(this);
    BoutonCorbeille->setObjectName(QStringLiteral("BoutonCorbeille"));
    BoutonCorbeille->setIcon(style()->standardIcon(QStyle::SP_TrashIcon));
    BoutonCorbeille->setToolTip(QStringLiteral("Empty both lists"));
    CheckHorodatage = new QCheckBox(QStringLiteral("Time stamps (ms)"), this);
    CheckHorodatage->setObjectName(QStringLiteral("CheckHorodatage"));
    CheckHorodatage->setChecked(true);
    CheckHorodatage->setToolTip(
        QStringLiteral("Show the time each line was sent or received, to the millisecond"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(grplabel[0], 0, 0);
    grid->addWidget(grplabel[1], 0, 1);
    grid->addWidget(SendList, 1, 0);
    grid->addWidget(AnswerList, 1, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(CheckHorodatage);
    bottom->addStretch();
    bottom->addWidget(BoutonCorbeille);
    grid->addLayout(bottom, 2, 0, 1, 2);
    resize(640, 360);

    connect(BoutonCorbeille, &QPushButton::clicked, this,
            &FrmVisualisationFlux::BoutonCorbeille_Click);
    connect(CheckHorodatage, &QCheckBox::toggled, this, [this](bool on) {
        for (FlowListModel* m : models_)
            m->setTimestamps(on);
    });

    chargerTextes();
}

FrmVisualisationFlux::~FrmVisualisationFlux() {
    // Unloaded (closed, or closed and reopened by the View entry): its lists go with it.
    for (FlowListModel* m : models_)
        disconnect(&s_.flow, nullptr, m, nullptr);
    s_.flow.clear();
}

void FrmVisualisationFlux::chargerTextes() {
    ChargerLangueCourante(s_);
    const TextLoader t(s_, QStringLiteral("FrmVisualisationFlux"));
    t.title(this);
    t.family(grplabel, QStringLiteral("grplabel_"), 0, 1);
}

void FrmVisualisationFlux::BoutonCorbeille_Click() {
    s_.flow.clear();
}

void FrmVisualisationFlux::montrerDernieres() {
    for (QListView* list : {SendList, AnswerList}) {
        const QAbstractItemModel* m = list->model();
        const int n = m->rowCount();
        if (n == 0)
            continue;
        list->setCurrentIndex(m->index(n - 1, 0));
        list->scrollToBottom();
    }
}

void FrmVisualisationFlux::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Nothing is kept in view while hidden; catch up now.
    montrerDernieres();
}

} // namespace tav
