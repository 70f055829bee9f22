#pragma once

#include <QTest>

#include <array>

namespace tav::test {

// Declares the columns of a test table in one call: columns<int, QString>({"row", "text"}).
template <class... T> void columns(const std::array<const char*, sizeof...(T)>& names) {
    std::size_t i = 0;
    (QTest::addColumn<T>(names[i++]), ...);
}

} // namespace tav::test
