// SPDX-License-Identifier: GPL-3.0-or-later
#include "components/MyValue.h"

#include "components/CSubclass.h"
#include "components/PropertyBag.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace {

// Rounded to the nearest integer, halves to even (2.5 gives 2, 3.5 gives 4), as the control's
// arithmetic has always rounded.
int rounded(double x) {
    return static_cast<int>(std::nearbyint(x));
}

} // namespace

// The resources of this library, which a static library must register itself.
static void initComponentResources() {
    Q_INIT_RESOURCE(components);
}

// The control's own wheel handling, called after the widget's event(): the wheel moves the value by the
// wheel step per notch, forward raising it.
class MyValue::WheelSink : public ISubclassingSink {
public:
    explicit WheelSink(MyValue *control)
        : control_(control) {}
    void After(bool &lReturn, QObject *, int, QEvent *event) override {
        const auto *wheel = static_cast<QWheelEvent *>(event);
        const int delta = wheel->angleDelta().y() != 0 ? wheel->angleDelta().y() : wheel->angleDelta().x();
        const int sign = (delta > 0) - (delta < 0);
        control_->setValue(control_->Value() + sign * control_->wheelStep());
        event->accept();
        lReturn = true;
    }
    void Before(bool &, bool &, QObject *, int &, QEvent *&) override {}

private:
    MyValue *control_;
};

MyValue::MyValue(QWidget *parent)
    : QWidget(parent)
    , subclass_(std::make_unique<CSubclass>()) {
    initComponentResources();
    setFocusPolicy(Qt::StrongFocus);
    // Hover comes from move events without a button and the leave event: no grab, so the control never
    // takes clicks away from its neighbours.
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    backColor_ = parent ? parent->palette().color(QPalette::Window) : palette().color(QPalette::Window);

    // The desktop's wheel setting is read once, here.
    wheelStep_ = wheelStepFor(qobject_cast<QApplication *>(QCoreApplication::instance())
                                  ? std::optional<int>(QApplication::wheelScrollLines())
                                  : std::nullopt);
    subclass_->AddAfterMsgs({static_cast<int>(QEvent::Wheel)});
    subclass_->Subclass(this, std::make_shared<WheelSink>(this));

    track_ = stockTrack();
    strip_ = stockThumbStrip();
    thumbWidth_ = rounded(strip_.width() / 3.0);
    maskImages();
    applySize();
}

MyValue::~MyValue() {
    subclass_->UnSubclass();
}

int MyValue::wheelStepFor(std::optional<int> scrollLines) {
    if (!scrollLines)
        return 0; // unreadable: the wheel does nothing
    if (*scrollLines == -1 || *scrollLines > 50)
        return 50;
    return *scrollLines;
}

QImage MyValue::stockTrack() {
    initComponentResources();
    return QImage(u":/components/track.png"_s);
}

QImage MyValue::stockThumbStrip() {
    initComponentResources();
    return QImage(u":/components/thumb.png"_s);
}

QSize MyValue::sizeHint() const {
    return {std::max(width_, 2 * track_.width() + thumbWidth_), track_.height()};
}

void MyValue::maskImages() {
    const auto masked = [this](const QImage &image) {
        QImage copy = image.convertToFormat(QImage::Format_ARGB32);
        const QRgb mask = maskColor_.rgb() & 0xFFFFFF;
        for (int y = 0; y < copy.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(copy.scanLine(y));
            for (int x = 0; x < copy.width(); ++x)
                if ((line[x] & 0xFFFFFF) == mask)
                    line[x] = 0;
        }
        return copy;
    };
    maskedTrack_ = masked(track_);
    maskedStrip_ = masked(strip_);
}

void MyValue::setValue(int value) {
    value = std::clamp(value, 0, 100);
    if (value == value_)
        return;
    value_ = value;
    Q_EMIT PropertyChanged(u"Value"_s);
    moveThumb(rounded(trackLength_ / 100.0 * value_), 0, true);
}

void MyValue::setBackColor(const QColor &color) {
    backColor_ = color;
    Q_EMIT PropertyChanged(u"BackColor"_s);
    draw(0);
}

void MyValue::setPicture(const QImage &image) {
    track_ = image;
    Q_EMIT PropertyChanged(u"Picture"_s);
    if (!track_.isNull())
        maskColor_ = track_.pixelColor(0, 0);
    maskImages();
    // The control is as high as its track image.
    if (!track_.isNull() && height() != track_.height())
        resize(width(), track_.height());
    draw(0);
}

void MyValue::setPicValue(const QImage &image) {
    strip_ = image;
    Q_EMIT PropertyChanged(u"PicValue"_s);
    thumbWidth_ = rounded(strip_.width() / 3.0);
    maskImages();
    draw(0);
}

int MyValue::setMaskColor(const QColor &color) {
    if (!designMode_)
        return ErrorSetNotSupportedAtRuntime;
    maskColor_ = color;
    Q_EMIT PropertyChanged(u"MaskColor"_s);
    maskImages();
    draw(0);
    return 0;
}

void MyValue::ReadProperties(PropertyBag &bag) {
    const QColor container = parentWidget() ? parentWidget()->palette().color(QPalette::Window) : backColor_;
    backColor_ = bag.ReadProperty(u"BackColor"_s, container).value<QColor>();
    // Stored as it was saved: no clamping, no event.
    value_ = static_cast<qint16>(bag.ReadProperty(u"Value"_s, DefaultValue).toInt());
    const QImage track = bag.ReadProperty(u"Picture"_s, QImage()).value<QImage>();
    track_ = track;
    if (!track_.isNull())
        maskColor_ = track_.pixelColor(0, 0);
    strip_ = bag.ReadProperty(u"PicValue"_s, QImage()).value<QImage>();
    // Read last, so it overrides the colour taken from the track image's corner.
    maskColor_ = QColor::fromRgb(bag.ReadProperty(u"MaskColor"_s, DefaultMaskColor).toUInt());
    thumbWidth_ = rounded(strip_.width() / 3.0);
    trackLength_ = width_ - thumbWidth_;
    maskImages();
}

void MyValue::WriteProperties(PropertyBag &bag) const {
    const QColor container = parentWidget() ? parentWidget()->palette().color(QPalette::Window) : backColor_;
    bag.WriteProperty(u"BackColor"_s, backColor_, container);
    bag.WriteProperty(u"MaskColor"_s, maskColor_.rgb() & 0xFFFFFF, DefaultMaskColor);
    bag.WriteProperty(u"Value"_s, value_, DefaultValue);
    bag.WriteProperty(u"Picture"_s, track_, QImage());
    bag.WriteProperty(u"PicValue"_s, strip_, QImage());
}

void MyValue::moveThumb(double position, int frame, bool keepValue) {
    if (!keepValue) {
        position = std::clamp(position, 0.0, static_cast<double>(std::max(trackLength_, 0)));
        const int span = width_ - thumbWidth_;
        value_ = span > 0 ? static_cast<int>(std::floor(position / span * 100)) : 0;
    }
    position_ = static_cast<int>(position);
    setToolTip(QString::number(value_) + u'%');
    draw(frame);
    Q_EMIT Change();
}

void MyValue::setValueFromKey(int value) {
    value = std::clamp(value, 0, 100);
    if (value == value_)
        return;
    value_ = value;
    Q_EMIT PropertyChanged(u"Value"_s);
    moveThumb(rounded((width_ - thumbWidth_) / 100.0 * value), 2, true);
}

void MyValue::draw(int frame) {
    frame_ = frame;
    const int H = track_.height();
    if (surface_.size() != QSize(width_, H))
        surface_ = QImage(std::max(width_, 1), std::max(H, 1), QImage::Format_ARGB32_Premultiplied);
    surface_.fill(backColor_);
    if (track_.width() >= 4 && !strip_.isNull()) {
        const double W = track_.width();
        const double t = thumbWidth_, L = width_, p = position_;
        const double centre = t / 2 + p - (W - 2) / 2;
        struct Copy {
            double dx, dw;
            const QImage *image;
            double sx, sw;
        };
        const Copy copies[] = {
            {0, W / 2 - 1, &maskedTrack_, 0, W / 2 - 1},        // left end
            {(W - 2) / 2, centre, &maskedTrack_, W / 2 - 1, 1}, // left of the thumb
            {centre + 1, L - W / 2 - centre + (thumbWidth_ % 2), &maskedTrack_, W / 2, 1}, // right of it
            {L - W / 2 + 1, W / 2 - 1, &maskedTrack_, W / 2 + 1, W / 2 - 1},               // right end
            {p, t, &maskedStrip_, t * frame, t},                                           // the thumb
        };
        QPainter painter(&surface_);
        for (const Copy &c : copies) {
            const int dw = rounded(c.dw), sw = rounded(c.sw);
            if (dw > 0 && sw > 0)
                painter.drawImage(QRect(rounded(c.dx), 0, dw, H), *c.image, QRect(rounded(c.sx), 0, sw, H));
        }
    }
    update();
}

void MyValue::applySize() {
    const int W = track_.width(), H = track_.height();
    QSize wanted(std::max(width(), 2 * W + thumbWidth_), H);
    if (wanted != size()) {
        sizing_ = true;
        resize(wanted);
        sizing_ = false;
    }
    width_ = wanted.width();
    trackLength_ = width_ - thumbWidth_;
    // The value is recomputed from the position: on a 33-pixel track 50 becomes 48.
    moveThumb(rounded(trackLength_ / 100.0 * value_), 0, false);
}

void MyValue::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.fillRect(rect(), backColor_);
    painter.drawImage(0, 0, surface_);
}

void MyValue::resizeEvent(QResizeEvent *) {
    if (!sizing_)
        applySize();
}

namespace {

bool isSliderKey(int key) {
    switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Down:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
        return true;
    default:
        return false;
    }
}

} // namespace

void MyValue::keyPressEvent(QKeyEvent *event) {
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Down:
        setValueFromKey(value_ - 1);
        break;
    case Qt::Key_Right:
    case Qt::Key_Up:
        setValueFromKey(value_ + 1);
        break;
    case Qt::Key_PageUp:
        setValueFromKey(value_ + 5);
        break;
    case Qt::Key_PageDown:
        setValueFromKey(value_ - 5);
        break;
    case Qt::Key_Home:
        setValueFromKey(100);
        break;
    case Qt::Key_End:
        setValueFromKey(0);
        break;
    default:
        QWidget::keyPressEvent(event); // Tab and the rest go on as usual
        return;
    }
    event->accept();
}

void MyValue::keyReleaseEvent(QKeyEvent *event) {
    if (!isSliderKey(event->key())) {
        QWidget::keyReleaseEvent(event);
        return;
    }
    draw(0);
    event->accept();
}

void MyValue::mousePressEvent(QMouseEvent *event) {
    const double x = event->position().x();
    if (x < position_ || x >= position_ + thumbWidth_)
        moveThumb(rounded(x - thumbWidth_ / 2.0), 0, false); // the thumb's centre jumps under the pointer
    else
        draw(2);
    event->accept();
}

void MyValue::mouseMoveEvent(QMouseEvent *event) {
    if (event->buttons() != Qt::NoButton)
        moveThumb(rounded(event->position().x() - thumbWidth_ / 2.0), 2, false);
    else
        pointerAt(event->position());
    event->accept();
}

void MyValue::pointerAt(QPointF point) {
    const bool inside = point.x() >= 0 && point.x() <= width() && point.y() >= 0 && point.y() <= height();
    if (inside && point.x() >= position_ && point.x() < position_ + thumbWidth_) {
        hover_ = true;
        draw(1);
    } else if (hover_) {
        hover_ = false;
        draw(0);
    }
}

void MyValue::mouseReleaseEvent(QMouseEvent *event) {
    hover_ = false;
    draw(0);
    event->accept();
}

void MyValue::leaveEvent(QEvent *event) {
    pointerAt(QPointF(-1, -1));
    QWidget::leaveEvent(event);
}

void MyValue::wheelEvent(QWheelEvent *event) {
    // The value follows in the wheel's after-stage; here the control only keeps the wheel to itself.
    event->accept();
}
