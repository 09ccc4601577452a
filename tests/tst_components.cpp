// SPDX-License-Identifier: GPL-3.0-or-later
#include "components/CSubclass.h"
#include "components/MyValue.h"
#include "components/PropertyBag.h"

#include <QApplication>
#include <QKeyEvent>
#include <QSignalSpy>
#include <QWheelEvent>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

namespace {

// An object whose own event() records what it saw and answers as told.
class Probe : public QObject {
public:
    QList<int> seen;
    bool answer = true;
    bool event(QEvent *e) override {
        seen.append(static_cast<int>(e->type()));
        return answer;
    }
};

class RecordingSink : public ISubclassingSink {
public:
    QStringList calls;
    bool handle = false;
    bool handledResult = true;
    QList<bool> afterSaw;
    QEvent *replacement = nullptr;
    void After(bool &lReturn, QObject *, int uMsg, QEvent *) override {
        calls.append(u"after %1"_s.arg(uMsg));
        afterSaw.append(lReturn);
    }
    void Before(bool &bHandled, bool &lReturn, QObject *, int &uMsg, QEvent *&event) override {
        calls.append(u"before %1"_s.arg(uMsg));
        if (handle) {
            bHandled = true;
            lReturn = handledResult;
        }
        if (replacement)
            event = replacement;
    }
};

QEvent::Type type(int n) {
    return static_cast<QEvent::Type>(QEvent::User + n);
}

void send(QObject *to, int n) {
    QEvent e(type(n));
    QCoreApplication::sendEvent(to, &e);
}

class MemoryBag : public PropertyBag {
public:
    QVariantMap stored;
    QStringList reads, writes;
    QVariant ReadProperty(const QString &name, const QVariant &defaultValue) override {
        reads.append(name);
        return stored.value(name, defaultValue);
    }
    void WriteProperty(const QString &name, const QVariant &value, const QVariant &) override {
        writes.append(name);
        stored.insert(name, value);
    }
};

const QRgb NormalFrame = qRgb(70, 70, 70), HoverFrame = qRgb(60, 150, 240), PressedFrame = qRgb(230, 120, 20);

} // namespace

class TestComponents : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void messageLists();
    void allSwitchesWithLists();
    void beforeThatHandles();
    void beforeChangesWhatTheObjectSees();
    void afterSeesTheResult();
    void subclassTwiceAndAgain();
    void objectDestroyedWhileSubclassed();
    void chainOfTwo();
    void weakAndOwningSinks();
    void callOrigWndProc();

    void valueWrites_data();
    void valueWrites();
    void keys_data();
    void keys();
    void sizeRules();
    void mouse();
    void hover();
    void wheel();
    void wheelStep_data();
    void wheelStep();
    void pictureSetsTheMask();
    void maskColorAtRunTime();
    void propertyBag();
    void pixels();

private:
    static std::unique_ptr<MyValue> control(int width);
};

void TestComponents::messageLists() {
    CSubclass s;
    QVERIFY(s.AddAfterMsgs({QEvent::Wheel}));
    QVERIFY(!s.AddAfterMsgs({QEvent::Wheel}));
    QCOMPARE(s.afterMsgs(), QList<int>{QEvent::Wheel});
    QVERIFY(s.AddBeforeMsgs({}));
    QVERIFY(!s.AddBeforeMsgs({1, 2, 1}));
    QCOMPARE(s.beforeMsgs(), (QList<int>{1, 2}));
}

void TestComponents::allSwitchesWithLists() {
    Probe probe;
    auto sink = std::make_shared<RecordingSink>();
    CSubclass s;
    s.AddBeforeMsgs({type(1), type(2), type(3), type(4), type(5)});
    s.setAllBeforeMsgs(true);
    s.AddAfterMsgs({type(7)});
    QVERIFY(s.Subclass(&probe, sink));
    send(&probe, 9); // in no list: still before, through the switch
    send(&probe, 7); // after entries are still found behind the before entries
    QCOMPARE(sink->calls, (QStringList{u"before %1"_s.arg(type(9)), u"before %1"_s.arg(type(7)),
                                       u"after %1"_s.arg(type(7))}));
    QCOMPARE(probe.seen, (QList<int>{type(9), type(7)}));
    s.setAllBeforeMsgs(false);
    sink->calls.clear();
    send(&probe, 9);
    QVERIFY(sink->calls.isEmpty());
}

void TestComponents::beforeThatHandles() {
    Probe probe;
    auto sink = std::make_shared<RecordingSink>();
    sink->handle = true;
    CSubclass s;
    s.AddBeforeMsgs({type(1)});
    s.AddAfterMsgs({type(1)});
    QVERIFY(s.Subclass(&probe, sink));
    send(&probe, 1);
    QCOMPARE(sink->calls, QStringList{u"before %1"_s.arg(type(1))});
    QVERIFY(probe.seen.isEmpty()); // the object's own event() was skipped, and After too
}

void TestComponents::beforeChangesWhatTheObjectSees() {
    Probe probe;
    auto sink = std::make_shared<RecordingSink>();
    QEvent other(type(42));
    sink->replacement = &other;
    CSubclass s;
    s.AddBeforeMsgs({type(1)});
    QVERIFY(s.Subclass(&probe, sink));
    send(&probe, 1);
    QCOMPARE(probe.seen, QList<int>{type(42)});
}

void TestComponents::afterSeesTheResult() {
    Probe probe;
    probe.answer = false;
    auto sink = std::make_shared<RecordingSink>();
    CSubclass s;
    s.setAllAfterMsgs(true);
    QVERIFY(s.Subclass(&probe, sink));
    send(&probe, 3);
    QCOMPARE(sink->afterSaw, QList<bool>{false}); // the object's own answer
    QCOMPARE(probe.seen, QList<int>{type(3)});    // delivered once, not twice
}

void TestComponents::subclassTwiceAndAgain() {
    Probe a, b;
    auto sink = std::make_shared<RecordingSink>();
    CSubclass s;
    QVERIFY(!s.UnSubclass()); // nothing to remove
    QVERIFY(s.Subclass(&a, sink));
    QVERIFY(!s.Subclass(&b, sink));
    QCOMPARE(s.hWnd(), &a);
    QVERIFY(s.UnSubclass());
    QCOMPARE(s.hWnd(), nullptr);
    s.setAllBeforeMsgs(true);
    QVERIFY(s.Subclass(&b, sink));
    send(&a, 1);
    QVERIFY(sink->calls.isEmpty()); // a is no longer watched
    send(&b, 1);
    QCOMPARE(sink->calls.size(), 1);
}

void TestComponents::objectDestroyedWhileSubclassed() {
    auto sink = std::make_shared<RecordingSink>();
    CSubclass s;
    s.setAllBeforeMsgs(true);
    {
        Probe doomed;
        QVERIFY(s.Subclass(&doomed, sink));
    }
    QCOMPARE(s.hWnd(), nullptr);
    QVERIFY(s.subclassed());
    QVERIFY(!s.Subclass(new QObject(this), sink)); // still counts as subclassed
    QVERIFY(!s.CallOrigWndProc(nullptr).has_value());
    QVERIFY(s.UnSubclass()); // touches nothing of the dead object
    Probe next;
    QVERIFY(s.Subclass(&next, sink));
    send(&next, 1);
    QCOMPARE(sink->calls.size(), 1);
}

void TestComponents::chainOfTwo() {
    // Two instances on one object run as nested window procedures: the later one outermost.
    Probe probe;
    auto first = std::make_shared<RecordingSink>(), second = std::make_shared<RecordingSink>();
    CSubclass a, b;
    for (CSubclass *s : {&a, &b}) {
        s->setAllBeforeMsgs(true);
        s->setAllAfterMsgs(true);
    }
    QVERIFY(a.Subclass(&probe, first));
    QVERIFY(b.Subclass(&probe, second));
    QStringList order;
    send(&probe, 1);
    QCOMPARE(second->calls, (QStringList{u"before %1"_s.arg(type(1)), u"after %1"_s.arg(type(1))}));
    QCOMPARE(first->calls, second->calls);
    QCOMPARE(probe.seen.size(), 1);
    // The outer one's previous procedure is the inner one: its sink runs, then the object.
    QEvent e(type(2));
    QVERIFY(b.CallOrigWndProc(&e).has_value());
    QCOMPARE(first->calls.size(), 4);
    QCOMPARE(second->calls.size(), 2);
    QVERIFY(a.UnSubclass());
    send(&probe, 3);
    QCOMPARE(first->calls.size(), 4);
    QCOMPARE(second->calls.size(), 4);
}

void TestComponents::weakAndOwningSinks() {
    Probe probe;
    CSubclass owning, weak;
    owning.setAllBeforeMsgs(true);
    weak.setAllAfterMsgs(true);
    auto kept = std::make_shared<RecordingSink>();
    std::weak_ptr<RecordingSink> keptWatch = kept;
    auto loose = std::make_shared<RecordingSink>();
    std::weak_ptr<RecordingSink> looseWatch = loose;
    QVERIFY(owning.Subclass(&probe, kept));
    QVERIFY(weak.Subclass(&probe, loose, true));
    kept.reset();
    loose.reset();
    QVERIFY(!keptWatch.expired()); // the owning reference keeps it
    QVERIFY(looseWatch.expired()); // the weak one does not, and no call reaches it
    send(&probe, 1);
    QCOMPARE(keptWatch.lock()->calls.size(), 1);
    QVERIFY(owning.UnSubclass());
    QVERIFY(keptWatch.expired());
}

void TestComponents::callOrigWndProc() {
    Probe probe;
    probe.answer = false;
    auto sink = std::make_shared<RecordingSink>();
    CSubclass s;
    QEvent e(type(5));
    QVERIFY(!s.CallOrigWndProc(&e).has_value());
    s.setAllBeforeMsgs(true);
    QVERIFY(s.Subclass(&probe, sink));
    QCOMPARE(s.CallOrigWndProc(&e), std::optional<bool>(false));
    QCOMPARE(probe.seen, QList<int>{type(5)});
    QVERIFY(sink->calls.isEmpty()); // without the sink
}

std::unique_ptr<MyValue> TestComponents::control(int width) {
    auto c = std::make_unique<MyValue>();
    c->resize(width, 30);
    QResizeEvent sized(c->size(), QSize());
    QCoreApplication::sendEvent(c.get(), &sized);
    c->setAttribute(Qt::WA_PendingResizeEvent, false); // as a shown window would have it
    return c;
}

void TestComponents::valueWrites_data() {
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("written");
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("changes");
    QTest::newRow("150 stores 100") << 20 << 150 << 100 << 1;
    QTest::newRow("-3 stores 0") << 20 << -3 << 0 << 1;
    QTest::newRow("the same value raises nothing") << 20 << 20 << 20 << 0;
    QTest::newRow("100 again after clamping") << 100 << 130 << 100 << 0;
}

void TestComponents::valueWrites() {
    QFETCH(int, from);
    QFETCH(int, written);
    QFETCH(int, stored);
    QFETCH(int, changes);
    auto c = control(117); // a 100-pixel track: positions equal values
    c->setValue(from);
    QSignalSpy change(c.get(), &MyValue::Change);
    c->setValue(written);
    QCOMPARE(c->Value(), stored);
    QCOMPARE(change.size(), changes);
    QCOMPARE(c->position(), stored);
    QCOMPARE(c->toolTip(), QString::number(stored) + u'%');
}

void TestComponents::keys_data() {
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("to");
    QTest::newRow("page up at 97") << 97 << int(Qt::Key_PageUp) << 100;
    QTest::newRow("page down at 3") << 3 << int(Qt::Key_PageDown) << 0;
    QTest::newRow("home") << 30 << int(Qt::Key_Home) << 100;
    QTest::newRow("end") << 30 << int(Qt::Key_End) << 0;
    QTest::newRow("left") << 30 << int(Qt::Key_Left) << 29;
    QTest::newRow("down") << 30 << int(Qt::Key_Down) << 29;
    QTest::newRow("right") << 30 << int(Qt::Key_Right) << 31;
    QTest::newRow("up") << 30 << int(Qt::Key_Up) << 31;
    QTest::newRow("a letter") << 30 << int(Qt::Key_A) << 30;
}

void TestComponents::keys() {
    QFETCH(int, from);
    QFETCH(int, key);
    QFETCH(int, to);
    auto c = control(117);
    c->setValue(from);
    QSignalSpy change(c.get(), &MyValue::Change);
    QTest::keyPress(c.get(), static_cast<Qt::Key>(key));
    QCOMPARE(c->Value(), to);
    QCOMPARE(change.size(), to == from ? 0 : 1);
    if (to != from)
        QCOMPARE(c->frame(), 2); // pressed while the key is down
    QTest::keyRelease(c.get(), static_cast<Qt::Key>(key));
    QCOMPARE(c->frame(), 0);
}

void TestComponents::sizeRules() {
    // Stock images: track 6 wide and 9 high, thumb 17 wide.
    auto c = control(50);
    QCOMPARE(c->thumbWidth(), 17);
    QCOMPARE(c->height(), 9);
    QCOMPARE(c->trackLength(), 33);
    QCOMPARE(c->Value(), 48); // 50 on a 33-pixel track: position 16 (16.5 to even), floor(48.48)
    auto narrow = control(10);
    QCOMPARE(narrow->width(), 2 * 6 + 17);
}

void TestComponents::mouse() {
    auto c = control(117);
    c->setValue(20);
    QSignalSpy change(c.get(), &MyValue::Change);
    // Far right of the thumb: its centre jumps under the pointer and the value follows the position.
    QTest::mousePress(c.get(), Qt::LeftButton, {}, QPoint(80, 4));
    QCOMPARE(c->position(), 72); // 80 - 8.5 = 71.5, to even
    QCOMPARE(c->Value(), 72);
    QCOMPARE(change.size(), 1);
    // On the thumb: only the pressed frame.
    QTest::mouseRelease(c.get(), Qt::LeftButton, {}, QPoint(80, 4));
    QTest::mousePress(c.get(), Qt::LeftButton, {}, QPoint(75, 4));
    QCOMPARE(c->Value(), 72);
    QCOMPARE(c->frame(), 2);
    QCOMPARE(change.size(), 1);
    // Dragging with the button held moves it with the pressed frame, and clamps at the ends.
    QMouseEvent drag(QEvent::MouseMove, QPointF(40, 4), c->mapToGlobal(QPointF(40, 4)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(c.get(), &drag);
    QCOMPARE(c->Value(), 32);
    QCOMPARE(c->frame(), 2);
    QMouseEvent far(QEvent::MouseMove, QPointF(500, 4), c->mapToGlobal(QPointF(500, 4)), Qt::NoButton,
                    Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(c.get(), &far);
    QCOMPARE(c->Value(), 100);
    QTest::mouseRelease(c.get(), Qt::LeftButton, {}, QPoint(500, 4));
    QCOMPARE(c->frame(), 0);
    QVERIFY(!c->hover());
}

void TestComponents::hover() {
    auto c = control(117);
    c->setValue(50);
    const auto moveTo = [&](int x) {
        QMouseEvent move(QEvent::MouseMove, QPointF(x, 4), c->mapToGlobal(QPointF(x, 4)), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(c.get(), &move);
    };
    moveTo(55);
    QVERIFY(c->hover());
    QCOMPARE(c->frame(), 1);
    QCOMPARE(c->Value(), 50); // hovering changes nothing
    moveTo(10);
    QVERIFY(!c->hover());
    QCOMPARE(c->frame(), 0);
    moveTo(55);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(c.get(), &leave);
    QVERIFY(!c->hover());
    QCOMPARE(c->frame(), 0);
}

void TestComponents::wheel() {
    QApplication::setWheelScrollLines(3);
    auto c = control(117);
    c->setValue(40);
    const auto turn = [&](int delta) {
        QWheelEvent e(QPointF(10, 4), c->mapToGlobal(QPointF(10, 4)), QPoint(), QPoint(0, delta),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(c.get(), &e);
        return e.isAccepted();
    };
    for (int i = 0; i < 3; ++i)
        QVERIFY(turn(120));
    QCOMPARE(c->Value(), 49);
    turn(-120);
    QCOMPARE(c->Value(), 46);
    QApplication::setWheelScrollLines(60); // above 50: 50 a notch
    auto paged = control(117);
    paged->setValue(10);
    QWheelEvent e(QPointF(10, 4), paged->mapToGlobal(QPointF(10, 4)), QPoint(), QPoint(0, 120), Qt::NoButton,
                  Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(paged.get(), &e);
    QCOMPARE(paged->Value(), 60);
    QApplication::setWheelScrollLines(3);
}

void TestComponents::wheelStep_data() {
    QTest::addColumn<int>("setting");
    QTest::addColumn<bool>("readable");
    QTest::addColumn<int>("step");
    QTest::newRow("3") << 3 << true << 3;
    QTest::newRow("a page") << -1 << true << 50;
    QTest::newRow("51") << 51 << true << 50;
    QTest::newRow("50") << 50 << true << 50;
    QTest::newRow("unreadable") << 0 << false << 0;
}

void TestComponents::wheelStep() {
    QFETCH(int, setting);
    QFETCH(bool, readable);
    QFETCH(int, step);
    QCOMPARE(MyValue::wheelStepFor(readable ? std::optional<int>(setting) : std::nullopt), step);
}

void TestComponents::pictureSetsTheMask() {
    auto c = control(117);
    QImage white = MyValue::stockTrack().convertToFormat(QImage::Format_RGB32);
    white.setPixelColor(0, 0, Qt::white);
    QSignalSpy changed(c.get(), &MyValue::PropertyChanged);
    c->setPicture(white);
    QCOMPARE(c->MaskColor(), QColor(Qt::white));
    QCOMPARE(changed.first().first().toString(), u"Picture"_s);
}

void TestComponents::maskColorAtRunTime() {
    auto c = control(117);
    QCOMPARE(c->setMaskColor(Qt::green), MyValue::ErrorSetNotSupportedAtRuntime);
    QCOMPARE(c->MaskColor(), QColor::fromRgb(MyValue::DefaultMaskColor));
    c->setDesignMode(true);
    QCOMPARE(c->setMaskColor(Qt::green), 0);
    QCOMPARE(c->MaskColor(), QColor(Qt::green));
}

void TestComponents::propertyBag() {
    auto c = control(117);
    c->setValue(60);
    MemoryBag bag;
    c->WriteProperties(bag);
    QCOMPARE(bag.writes,
             (QStringList{u"BackColor"_s, u"MaskColor"_s, u"Value"_s, u"Picture"_s, u"PicValue"_s}));
    QCOMPARE(bag.stored[u"Value"_s].toInt(), 60);
    QCOMPARE(bag.stored[u"MaskColor"_s].toUInt(), 16711935u);

    // Read back into a fresh control: the value as stored (not clamped, no event), the mask colour last.
    bag.stored[u"Value"_s] = 150;
    bag.stored[u"MaskColor"_s] = 0x00FF00u;
    auto fresh = control(117);
    QSignalSpy change(fresh.get(), &MyValue::Change);
    fresh->ReadProperties(bag);
    QCOMPARE(bag.reads,
             (QStringList{u"BackColor"_s, u"Value"_s, u"Picture"_s, u"PicValue"_s, u"MaskColor"_s}));
    QCOMPARE(fresh->Value(), 150);
    QCOMPARE(change.size(), 0);
    QCOMPARE(fresh->MaskColor(), QColor(0, 255, 0));
    QCOMPARE(fresh->thumbWidth(), 17);

    // Nothing stored: every default.
    MemoryBag empty;
    auto plain = control(117);
    plain->ReadProperties(empty);
    QCOMPARE(plain->Value(), 50);
    QCOMPARE(plain->MaskColor(), QColor::fromRgb(MyValue::DefaultMaskColor));
}

void TestComponents::pixels() {
    auto c = control(117);
    c->setBackColor(Qt::white);
    c->setValue(30);
    const auto image = [&] { return c->surface().convertToFormat(QImage::Format_RGB32); };
    const int p = c->position(), t = c->thumbWidth();
    QCOMPARE(p, 30);
    QImage shown = image();
    // The mask colour never shows: the corners of the thumb and the ends of the track are background.
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            QVERIFY2(shown.pixel(x, y) != qRgb(255, 0, 255), qPrintable(u"magenta at %1,%2"_s.arg(x).arg(y)));
    QCOMPARE(shown.pixel(p, 0), qRgb(255, 255, 255));
    // The widget paints that surface.
    QCOMPARE(c->grab().toImage().convertToFormat(QImage::Format_RGB32), shown);
    // The thumb stands where the position says, in the normal frame.
    QCOMPARE(shown.pixel(p + t / 2, 4), NormalFrame);
    QVERIFY(shown.pixel(p - 3, 4) != NormalFrame);
    QVERIFY(shown.pixel(p + t + 3, 4) != NormalFrame);
    // Hover and press change the frame.
    QMouseEvent move(QEvent::MouseMove, QPointF(p + 5, 4), c->mapToGlobal(QPointF(p + 5, 4)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(c.get(), &move);
    QCOMPARE(image().pixel(p + t / 2, 4), HoverFrame);
    QTest::mousePress(c.get(), Qt::LeftButton, {}, QPoint(p + 5, 4));
    QCOMPARE(image().pixel(p + t / 2, 4), PressedFrame);
}

QTEST_MAIN(TestComponents)
#include "tst_components.moc"
