#pragma once

#include "ui/support/GridModel.h"

#include <QTableView>

namespace tav {

// A sheet of text cells: data rows from 1, columns from 1, row 0 being the header row shown in
// the column headers. Besides direct (row, col) access it keeps a current cell addressed by
// setRow / setCol whose text is read and written with text() / setText(), as the windows
// walk their sheets that way. The addressed cell is independent of the operator's active cell,
// which goToCell moves.
class Grid : public QTableView {
    Q_OBJECT
public:
    explicit Grid(QWidget* parent = nullptr);

    GridModel* gridModel() const { return model_; }

    // Size. New rows and columns are empty.
    int rowCount() const { return model_->rows(); }
    void setRowCount(int rows) { model_->setRows(rows); }
    int columnCount() const { return model_->columns(); }
    void setColumnCount(int columns) { model_->setColumns(columns); }

    // Addressed cell and its text.
    int row() const { return row_; }
    void setRow(int row) { row_ = row; }
    int col() const { return col_; }
    void setCol(int col) { col_ = col; }
    QString text() const { return model_->text(row_, col_); }
    bool setText(const QString& text) { return model_->setText(row_, col_, text); }

    // Any cell. Writes outside the grid are ignored and return false.
    QString cellText(int row, int col) const { return model_->text(row, col); }
    bool setCellText(int row, int col, const QString& text) {
        return model_->setText(row, col, text);
    }

    // Number of the last data row holding any text, 0 when there is none.
    int lastRowWithData() const { return model_->lastDataRow(); }

    // Empties every cell from (row, col) to the last row and last column.
    void clearBlock(int row, int col) { model_->clearBlock(row, col); }

    // Cell appearance.
    void setCellColor(int row, int col, const QColor& colour) {
        model_->setForeground(row, col, colour);
    }
    QColor cellColor(int row, int col) const { return model_->foreground(row, col); }
    void setCellCentered(int row, int col, bool centered) {
        model_->setCentered(row, col, centered);
    }
    bool isCellCentered(int row, int col) const { return model_->isCentered(row, col); }
    void setCellStatic(int row, int col, bool isStatic) { model_->setStatic(row, col, isStatic); }
    bool isCellStatic(int row, int col) const { return model_->isStatic(row, col); }

    // No cell editable by the operator.
    void setReadOnly(bool readOnly) { model_->setReadOnly(readOnly); }
    bool isReadOnly() const { return model_->isReadOnly(); }

    // Bulk fills: no repaint per cell while off.
    void setRedraw(bool redraw) { model_->setRedraw(redraw); }

    // Makes (row, col) the active cell and scrolls it into view, or to the top of the view when
    // atTop is set. Row 0 (the header row) scrolls to the first data row.
    void goToCell(int row, int col, bool atTop = false);
    // Active cell, in grid coordinates; (0, 0) when there is none.
    int activeRow() const;
    int activeCol() const;

signals:
    // A click on a cell; a click on a column header gives row 0, on a row header column 0.
    void cellClicked(int row, int col);

private:
    GridModel* model_;
    int row_ = 1;
    int col_ = 1;
};

} // namespace tav
