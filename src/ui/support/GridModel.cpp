#include "ui/support/GridModel.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

namespace tav {

namespace {

// Bounds that keep a mistaken size from exhausting memory (row table: 8 bytes a row).
constexpr int kMaxRows = 10'000'000;
constexpr int kMaxColumns = 16'384;
constexpr std::size_t kHeader = sizeof(std::uint32_t);

std::uint32_t payloadSize(const unsigned char* block) {
    std::uint32_t size;
    std::memcpy(&size, block, sizeof size);
    return size;
}

void setPayloadSize(unsigned char* block, std::uint32_t size) {
    std::memcpy(block, &size, sizeof size);
}

// LEB128 length prefix.
std::size_t readLength(const unsigned char* data, std::size_t& pos) {
    std::size_t value = 0;
    int shift = 0;
    unsigned char byte;
    do {
        byte = data[pos++];
        value |= static_cast<std::size_t>(byte & 0x7f) << shift;
        shift += 7;
    } while (byte & 0x80);
    return value;
}

std::size_t lengthSize(std::size_t value) {
    std::size_t n = 1;
    while (value >= 0x80) {
        value >>= 7;
        ++n;
    }
    return n;
}

void writeLength(unsigned char* out, std::size_t value) {
    while (value >= 0x80) {
        *out++ = static_cast<unsigned char>(value | 0x80);
        value >>= 7;
    }
    *out = static_cast<unsigned char>(value);
}

// Resizes a row block to hold `size` payload bytes; frees it (null) for size 0.
unsigned char* resizeBlock(unsigned char* block, std::size_t size) {
    if (size == 0) {
        std::free(block);
        return nullptr;
    }
    void* grown = std::realloc(block, kHeader + size);
    if (!grown)
        throw std::bad_alloc();
    auto* p = static_cast<unsigned char*>(grown);
    setPayloadSize(p, static_cast<std::uint32_t>(size));
    return p;
}

} // namespace

GridModel::RowBlock& GridModel::RowBlock::operator=(RowBlock&& o) noexcept {
    if (this != &o) {
        std::free(p);
        p = o.p;
        o.p = nullptr;
    }
    return *this;
}

GridModel::RowBlock::~RowBlock() { std::free(p); }

GridModel::GridModel(QObject* parent) : QAbstractTableModel(parent) { rows_.resize(1); }

GridModel::~GridModel() = default;

void GridModel::setRows(int count) {
    count = std::clamp(count, 0, kMaxRows);
    const int old = rows();
    if (count == old)
        return;
    if (count > old) {
        beginInsertRows({}, old, count - 1);
        rows_.resize(static_cast<std::size_t>(count) + 1);
        endInsertRows();
        return;
    }
    beginRemoveRows({}, count, old - 1);
    rows_.resize(static_cast<std::size_t>(count) + 1);
    rows_.shrink_to_fit();
    if (lastDataRow_ > count) {
        lastDataRow_ = count;
        while (lastDataRow_ > 0 && !rows_[lastDataRow_].p)
            --lastDataRow_;
    }
    dropStylesOutside();
    endRemoveRows();
}

void GridModel::setColumns(int count) {
    count = std::clamp(count, 0, kMaxColumns);
    const int old = columns_;
    if (count == old)
        return;
    if (count > old) {
        beginInsertColumns({}, old, count - 1);
        columns_ = count;
        endInsertColumns();
        return;
    }
    beginRemoveColumns({}, count, old - 1);
    columns_ = count;
    truncateRow(rows_[0], count);
    for (int r = 1; r <= lastDataRow_; ++r)
        truncateRow(rows_[r], count);
    while (lastDataRow_ > 0 && !rows_[lastDataRow_].p)
        --lastDataRow_;
    dropStylesOutside();
    endRemoveColumns();
}

QString GridModel::text(int row, int col) const {
    if (!validCell(row, col))
        return {};
    const unsigned char* block = rows_[row].p;
    if (!block)
        return {};
    const std::size_t size = payloadSize(block);
    const unsigned char* data = block + kHeader;
    std::size_t pos = 0;
    for (int c = 1; pos < size; ++c) {
        const std::size_t len = readLength(data, pos);
        if (c == col)
            return QString::fromUtf8(reinterpret_cast<const char*>(data + pos),
                                     static_cast<qsizetype>(len));
        pos += len;
    }
    return {};
}

bool GridModel::setText(int row, int col, const QString& text) {
    if (!validCell(row, col))
        return false;
    RowBlock& block = rows_[row];
    writeCell(block, col - 1, text.toUtf8());
    if (row >= 1) {
        if (block.p && row > lastDataRow_)
            lastDataRow_ = row;
        else if (!block.p)
            afterRowEmptied(row);
    }
    cellChanged(row, col);
    return true;
}

void GridModel::writeCell(RowBlock& row, int col0, const QByteArray& utf8) {
    const std::size_t oldSize = row.p ? payloadSize(row.p) : 0;
    const unsigned char* old = row.p ? row.p + kHeader : nullptr;

    // Find the cell, remembering where the stored text before it really ends.
    std::size_t pos = 0;
    std::size_t lastNonEmptyEnd = 0;
    int c = 0;
    while (pos < oldSize && c < col0) {
        const std::size_t len = readLength(old, pos);
        pos += len;
        if (len)
            lastNonEmptyEnd = pos;
        ++c;
    }
    const std::size_t cellStart = pos;
    std::size_t cellEnd = pos;
    std::size_t padding = 0; // empty cells to add before a cell past the stored ones
    bool exists = false;
    if (c == col0 && pos < oldSize) {
        std::size_t p = pos;
        const std::size_t len = readLength(old, p);
        cellEnd = p + len;
        exists = true;
        if (utf8.isEmpty() && len == 0)
            return;
    } else {
        padding = static_cast<std::size_t>(col0 - c);
    }
    const std::size_t suffix = oldSize - cellEnd;

    if (utf8.isEmpty()) {
        if (!exists)
            return;
        if (suffix == 0) { // last stored cell: drop it and any empty cells before it
            row.p = resizeBlock(row.p, lastNonEmptyEnd);
            return;
        }
    }

    const std::size_t len = static_cast<std::size_t>(utf8.size());
    const std::size_t encoded = lengthSize(len) + len;
    const std::size_t newCellEnd = cellStart + padding + encoded;
    const std::size_t newSize = newCellEnd + suffix;
    if (newSize > oldSize) {
        row.p = resizeBlock(row.p, newSize);
        std::memmove(row.p + kHeader + newCellEnd, row.p + kHeader + cellEnd, suffix);
    } else {
        std::memmove(row.p + kHeader + newCellEnd, row.p + kHeader + cellEnd, suffix);
        if (newSize < oldSize)
            row.p = resizeBlock(row.p, newSize);
    }
    unsigned char* out = row.p + kHeader + cellStart;
    std::memset(out, 0, padding);
    out += padding;
    writeLength(out, len);
    std::memcpy(out + lengthSize(len), utf8.constData(), len);
}

void GridModel::truncateRow(RowBlock& row, int col0) {
    if (!row.p)
        return;
    const std::size_t size = payloadSize(row.p);
    const unsigned char* data = row.p + kHeader;
    std::size_t pos = 0;
    std::size_t lastNonEmptyEnd = 0;
    for (int c = 0; c < col0; ++c) {
        if (pos >= size)
            return; // nothing stored from col0 on
        const std::size_t len = readLength(data, pos);
        pos += len;
        if (len)
            lastNonEmptyEnd = pos;
    }
    if (pos < size)
        row.p = resizeBlock(row.p, lastNonEmptyEnd);
}

void GridModel::afterRowEmptied(int row) {
    if (row != lastDataRow_)
        return;
    while (lastDataRow_ > 0 && !rows_[lastDataRow_].p)
        --lastDataRow_;
}

void GridModel::clearBlock(int row, int col) {
    row = std::max(row, 0);
    col = std::max(col, 1);
    if (row > rows() || col > columns_)
        return;
    const int firstData = std::max(row, 1);
    const int lastTouched = lastDataRow_; // rows below it hold no text
    if (row == 0)
        truncateRow(rows_[0], col - 1);
    for (int r = firstData; r <= lastTouched; ++r)
        truncateRow(rows_[r], col - 1);
    while (lastDataRow_ > 0 && !rows_[lastDataRow_].p)
        --lastDataRow_;

    if (!redraw_)
        return;
    if (row == 0)
        emit headerDataChanged(Qt::Horizontal, col - 1, columns_ - 1);
    if (firstData <= lastTouched)
        emit dataChanged(index(firstData - 1, col - 1), index(lastTouched - 1, columns_ - 1),
                         {Qt::DisplayRole, Qt::EditRole});
}

void GridModel::cellChanged(int row, int col) {
    if (!redraw_)
        return;
    if (row == 0)
        emit headerDataChanged(Qt::Horizontal, col - 1, col - 1);
    else {
        const QModelIndex i = index(row - 1, col - 1);
        emit dataChanged(i, i);
    }
}

void GridModel::storeStyle(int row, int col, const Style& s) {
    if (s.isDefault())
        styles_.remove(key(row, col));
    else
        styles_.insert(key(row, col), s);
    cellChanged(row, col);
}

void GridModel::setForeground(int row, int col, const QColor& colour) {
    if (!validCell(row, col))
        return;
    Style s = style(row, col);
    s.hasForeground = colour.isValid();
    s.foreground = colour.isValid() ? colour.rgb() : 0;
    storeStyle(row, col, s);
}

QColor GridModel::foreground(int row, int col) const {
    const Style s = style(row, col);
    return s.hasForeground ? QColor(s.foreground) : QColor();
}

void GridModel::setCentered(int row, int col, bool centered) {
    if (!validCell(row, col))
        return;
    Style s = style(row, col);
    s.centered = centered;
    storeStyle(row, col, s);
}

bool GridModel::isCentered(int row, int col) const { return style(row, col).centered; }

void GridModel::setStatic(int row, int col, bool isStatic) {
    if (!validCell(row, col))
        return;
    Style s = style(row, col);
    s.isStatic = isStatic;
    storeStyle(row, col, s);
}

bool GridModel::isStatic(int row, int col) const { return style(row, col).isStatic; }

void GridModel::dropStylesOutside() {
    const int lastRow = rows();
    for (auto it = styles_.begin(); it != styles_.end();) {
        const int r = static_cast<int>(it.key() >> 32);
        const int c = static_cast<int>(it.key() & 0xffffffffu);
        if (r > lastRow || c > columns_)
            it = styles_.erase(it);
        else
            ++it;
    }
}

void GridModel::setRedraw(bool redraw) {
    if (redraw == redraw_)
        return;
    redraw_ = redraw;
    if (!redraw_)
        return;
    if (columns_ > 0) {
        emit headerDataChanged(Qt::Horizontal, 0, columns_ - 1);
        if (rows() > 0)
            emit dataChanged(index(0, 0), index(rows() - 1, columns_ - 1));
    }
}

std::size_t GridModel::storageBytes() const {
    std::size_t bytes = rows_.capacity() * sizeof(RowBlock);
    for (const RowBlock& r : rows_)
        if (r.p)
            bytes += kHeader + payloadSize(r.p);
    return bytes;
}

int GridModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows(); }

int GridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columns_;
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    const int row = index.row() + 1;
    const int col = index.column() + 1;
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return text(row, col);
    case Qt::ForegroundRole: {
        const Style s = style(row, col);
        return s.hasForeground ? QVariant(QColor(s.foreground)) : QVariant();
    }
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::Alignment(Qt::AlignVCenter) |
                                   (isCentered(row, col) ? Qt::AlignHCenter : Qt::AlignLeft));
    default:
        return {};
    }
}

bool GridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    return setText(index.row() + 1, index.column() + 1, value.toString());
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::ForegroundRole) { // row 0 has colours too
        const QColor colour = foreground(0, section + 1);
        return colour.isValid() ? QVariant(colour) : QVariant();
    }
    if (role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (orientation == Qt::Horizontal)
        return text(0, section + 1);
    return QString::number(section + 1);
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (!readOnly_ && !isStatic(index.row() + 1, index.column() + 1))
        f |= Qt::ItemIsEditable;
    return f;
}

} // namespace tav
