#pragma once

#include "core/link/SerialPort.h"

namespace tav::test {

// A port that never opens, for tests that need shared state but no board.
class NullPort final : public SerialPort {
public:
    bool open(const QString&, const LineSettings&, QString*) override { return false; }
    void close() override {}
    bool isOpen() const override { return false; }
    bool write(const QByteArray&) override { return false; }
    bool waitForInput(int) override { return false; }
    qint64 bytesAvailable() const override { return 0; }
    QByteArray readAll() override { return {}; }
    void clearInput() override {}
};

} // namespace tav::test
