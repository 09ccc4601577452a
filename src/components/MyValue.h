// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>
#include <memory>
#include <optional>

class CSubclass;
class PropertyBag;

// A horizontal slider holding a whole number 0 to 100, drawn from a track image and a strip of three
// thumb images (normal, hover, pressed) with one colour of both treated as transparent. It follows
// clicks and drags on the track, the arrow, page and Home/End keys and the mouse wheel (through
// CSubclass, after its own handling of the wheel); its tooltip shows the value as a percentage, and
// every move of the thumb raises Change.
class MyValue : public QWidget {
    Q_OBJECT

public:
    static constexpr int DefaultValue = 50;
    static constexpr QRgb DefaultMaskColor = 0xFF00FF; // magenta, 16711935
    // The error of a property that can be set only in design mode.
    static constexpr int ErrorSetNotSupportedAtRuntime = 382;

    explicit MyValue(QWidget *parent = nullptr);
    ~MyValue() override;

    int Value() const { return value_; }
    // Clamped to 0..100; the same value again changes nothing.
    void setValue(int value);
    QColor BackColor() const { return backColor_; }
    void setBackColor(const QColor &color);
    const QImage &Picture() const { return track_; }
    // The track image; its top-left pixel becomes the mask colour.
    void setPicture(const QImage &image);
    const QImage &PicValue() const { return strip_; }
    void setPicValue(const QImage &image);
    QColor MaskColor() const { return maskColor_; }
    // 0, or ErrorSetNotSupportedAtRuntime (and no change) outside design mode.
    int setMaskColor(const QColor &color);

    // Whether the container is a form designer rather than a running program.
    void setDesignMode(bool design) { designMode_ = design; }
    bool designMode() const { return designMode_; }

    void ReadProperties(PropertyBag &bag);
    void WriteProperties(PropertyBag &bag) const;

    // What the control shows now, and where: for tests and tools.
    const QImage &surface() const { return surface_; }
    int position() const { return position_; }
    int thumbWidth() const { return thumbWidth_; }
    int trackLength() const { return trackLength_; }
    int frame() const { return frame_; }
    bool hover() const { return hover_; }
    int wheelStep() const { return wheelStep_; }
    // The wheel step for a desktop's wheel-scroll-lines setting: -1 (a page) or above 50 gives 50.
    static int wheelStepFor(std::optional<int> scrollLines);

    // Stock images of the program's own (6 x 9 track, 51 x 9 strip), mask colour magenta.
    static QImage stockTrack();
    static QImage stockThumbStrip();

    QSize sizeHint() const override;

Q_SIGNALS:
    void Change();
    // The host is told which property changed ("Value", "BackColor", "Picture", "PicValue", "MaskColor").
    void PropertyChanged(const QString &name);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    class WheelSink;

    void moveThumb(double position, int frame, bool keepValue);
    void setValueFromKey(int value);
    void draw(int frame);
    void applySize();
    void maskImages();
    void pointerAt(QPointF point);

    int value_ = DefaultValue;
    int position_ = 0;
    int thumbWidth_ = 0;
    int width_ = 0;
    int trackLength_ = 0;
    bool hover_ = false;
    int wheelStep_ = 0;
    int frame_ = 0;
    bool designMode_ = false;
    bool sizing_ = false;
    QColor backColor_;
    QColor maskColor_ = QColor::fromRgb(DefaultMaskColor);
    QImage track_, strip_;             // as assigned
    QImage maskedTrack_, maskedStrip_; // with the mask colour transparent
    QImage surface_;                   // kept between paints, shown by paintEvent
    std::unique_ptr<CSubclass> subclass_;
};
