#pragma once

#include <QSlider>

// The difficulty control of the main window: 0 to 100 in steps of 20. Change is raised whenever the
// value changes, by the user or by the program.
class MyValue : public QSlider {
    Q_OBJECT

public:
    explicit MyValue(QWidget *parent = nullptr);

    int Value() const { return value(); }
    void setValue(int v) { QSlider::setValue(v); }

Q_SIGNALS:
    void Change();
};
