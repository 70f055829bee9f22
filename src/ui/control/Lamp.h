#pragma once

#include <QColor>
#include <QWidget>

namespace tav {

// A round indicator lamp filled with one colour, drawn with a soft bevel like a panel LED.
class Lamp : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QColor color READ color WRITE setColor)
public:
    explicit Lamp(QWidget* parent = nullptr, int diameter = 16);

    QColor color() const { return color_; }
    void setColor(const QColor& color);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor color_ = Qt::white;
    int diameter_;
};

} // namespace tav
