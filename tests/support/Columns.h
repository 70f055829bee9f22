#pragma once

#include <QTest>

#include <array>

namespace tav::test {

// Declares the columns of a test table in one call: columns<int, QString>({"row", "text"}).
template <class... T> void columns(const std::array<const char*, sizeof...(T)>& names) {
    std::size_t i = 0;
    (QTest::addColumn<T>(names[i++]), ...);
}

// The current row's value of a column, where a QFETCH variable would be used once.
template <class T> T fetch(const char* column) {
    return *static_cast<T*>(QTest::qData(column, qMetaTypeId<T>()));
}

} // namespace tav::test
