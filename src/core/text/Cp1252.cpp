#include "core/text/Cp1252.h"

#include <QHash>

namespace tav {

namespace {

constexpr char16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t decodeByte(unsigned char c) {
    return (c >= 0x80 && c < 0xA0) ? kHigh[c - 0x80] : char16_t(c);
}

const QHash<char16_t, unsigned char>& reverseHigh() {
    static const QHash<char16_t, unsigned char> map = [] {
        QHash<char16_t, unsigned char> m;
        for (int i = 0; i < 32; ++i)
            m.insert(kHigh[i], static_cast<unsigned char>(0x80 + i));
        return m;
    }();
    return map;
}

} // namespace

QString fromCp1252(const char* data, qsizetype size) {
    QString out(size, Qt::Uninitialized);
    QChar* dst = out.data();
    for (qsizetype i = 0; i < size; ++i)
        dst[i] = QChar(decodeByte(static_cast<unsigned char>(data[i])));
    return out;
}

QString fromCp1252(const QByteArray& bytes) {
    return fromCp1252(bytes.constData(), bytes.size());
}

QByteArray toCp1252(const QString& text) {
    QByteArray out(text.size(), Qt::Uninitialized);
    char* dst = out.data();
    const QChar* src = text.constData();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = src[i].unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            dst[i] = static_cast<char>(u);
        } else {
            const auto it = reverseHigh().constFind(u);
            dst[i] = it != reverseHigh().cend() ? static_cast<char>(*it) : '?';
        }
    }
    return out;
}

} // namespace tav
