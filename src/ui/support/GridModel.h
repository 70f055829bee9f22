#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QHash>
#include <QString>

#include <cstdint>
#include <vector>

namespace tav {

// Text cells of a sheet in grid coordinates: data rows 1..rows(), columns 1..columns(), and
// row 0 holding the column headers (stored and written like any other row).
//
// Storage is compact so that a week of one-second rows (600,000 x 10) stays small: each row that
// holds text is one heap block of UTF-8 cells, each prefixed by its length, with trailing empty
// cells dropped; an empty row costs one null pointer. Cell appearance (colour, centring, static
// text) is sparse and kept apart from the text.
//
// The Qt model view maps model row i to grid row i + 1; row 0 feeds the horizontal header.
class GridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit GridModel(QObject* parent = nullptr);
    ~GridModel() override;

    // Grid size: data rows (the header row is always there) and columns. New cells are empty;
    // shrinking drops the text and appearance of the cells that leave the grid.
    int rows() const { return static_cast<int>(rows_.size()) - 1; }
    void setRows(int count);
    int columns() const { return columns_; }
    void setColumns(int count);

    // Cell text; out-of-range cells read as empty and ignore writes (setText returns false).
    QString text(int row, int col) const;
    bool setText(int row, int col, const QString& text);
    bool rowHasData(int row) const { return validRow(row) && rows_[row].p != nullptr; }

    // Number of the last data row (>= 1) with any non-empty cell; 0 when no data row has text.
    int lastDataRow() const { return lastDataRow_; }

    // Empties the text of every cell from (row, col) to the last row and last column.
    // Appearance is kept. Negative or zero indices start at the first row/column given.
    void clearBlock(int row, int col);

    // Appearance of one cell.
    void setForeground(int row, int col, const QColor& colour); // invalid colour: default
    QColor foreground(int row, int col) const;
    void setCentered(int row, int col, bool centered);
    bool isCentered(int row, int col) const;
    void setStatic(int row, int col, bool isStatic); // static text: the operator cannot edit it
    bool isStatic(int row, int col) const;

    // When the whole grid is read-only no cell is editable by the operator.
    void setReadOnly(bool readOnly) { readOnly_ = readOnly; }
    bool isReadOnly() const { return readOnly_; }

    // While redraw is off, writes send no per-cell notifications; turning it back on refreshes
    // the views once. Meant for bulk fills.
    void setRedraw(bool redraw);
    bool redraw() const { return redraw_; }

    // Bytes held by the cell store (row table and row blocks, allocator overhead excluded).
    std::size_t storageBytes() const;

    // QAbstractItemModel
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    // One row's cells: [uint32 payload size][per cell: LEB128 length, UTF-8 bytes]...
    // Null when the row holds no text; the last stored cell is never empty.
    struct RowBlock {
        unsigned char* p = nullptr;
        RowBlock() = default;
        RowBlock(RowBlock&& o) noexcept : p(o.p) { o.p = nullptr; }
        RowBlock& operator=(RowBlock&& o) noexcept;
        RowBlock(const RowBlock&) = delete;
        RowBlock& operator=(const RowBlock&) = delete;
        ~RowBlock();
    };

    struct Style {
        QRgb foreground = 0;
        bool hasForeground = false;
        bool centered = false;
        bool isStatic = false;
        bool isDefault() const { return !hasForeground && !centered && !isStatic; }
    };

    bool validRow(int row) const { return row >= 0 && row < static_cast<int>(rows_.size()); }
    bool validCell(int row, int col) const {
        return validRow(row) && col >= 1 && col <= columns_;
    }
    static quint64 key(int row, int col) {
        return (static_cast<quint64>(static_cast<quint32>(row)) << 32) | static_cast<quint32>(col);
    }
    Style style(int row, int col) const { return styles_.value(key(row, col)); }
    void storeStyle(int row, int col, const Style& s);

    // Row block editing; col0 is 0-based. Both keep the "last stored cell not empty" rule.
    void writeCell(RowBlock& row, int col0, const QByteArray& utf8);
    void truncateRow(RowBlock& row, int col0); // drops cells col0 and beyond
    void afterRowEmptied(int row);             // keeps lastDataRow_ current
    void cellChanged(int row, int col);
    void dropStylesOutside();

    std::vector<RowBlock> rows_; // index = grid row; [0] is the header row
    int columns_ = 0;
    int lastDataRow_ = 0;
    QHash<quint64, Style> styles_;
    bool readOnly_ = false;
    bool redraw_ = true;
};

} // namespace tav
