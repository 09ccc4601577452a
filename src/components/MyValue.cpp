#include "components/MyValue.h"

MyValue::MyValue(QWidget *parent)
    : QSlider(Qt::Horizontal, parent) {
    setRange(0, 100);
    setSingleStep(20);
    setPageStep(20);
    setTickInterval(20);
    setTickPosition(QSlider::NoTicks);
    connect(this, &QSlider::valueChanged, this, &MyValue::Change);
}
