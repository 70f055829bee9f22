#include "ui/support/Grid.h"

#include <QHeaderView>

#include <algorithm>

namespace tav {

Grid::Grid(QWidget* parent) : QTableView(parent), model_(new GridModel(this)) {
    setModel(model_);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    // Fixed row heights keep scrolling through long sheets cheap.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setHighlightSections(false);

    connect(this, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
        emit cellClicked(index.row() + 1, index.column() + 1);
    });
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int section) { emit cellClicked(0, section + 1); });
    connect(verticalHeader(), &QHeaderView::sectionClicked, this,
            [this](int section) { emit cellClicked(section + 1, 0); });
}

void Grid::goToCell(int row, int col, bool atTop) {
    if (rowCount() == 0 || columnCount() == 0)
        return;
    const int r = std::clamp(row, 1, rowCount()) - 1;
    const int c = std::clamp(col, 1, columnCount()) - 1;
    const QModelIndex index = model_->index(r, c);
    setCurrentIndex(index);
    scrollTo(index, atTop ? QAbstractItemView::PositionAtTop : QAbstractItemView::EnsureVisible);
}

int Grid::activeRow() const {
    const QModelIndex i = currentIndex();
    return i.isValid() ? i.row() + 1 : 0;
}

int Grid::activeCol() const {
    const QModelIndex i = currentIndex();
    return i.isValid() ? i.column() + 1 : 0;
}

} // namespace tav
