// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "components/ISubclassingSink.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QVariant>
#include <memory>
#include <optional>

// Watches and changes the events of one object: for chosen event numbers (two lists, or two switches
// for every event) it calls a sink before the object's own event() and/or after it. Built on Qt's event
// dispatch: one event filter per watched object finds the instances that watch it and runs them as a
// chain of window procedures would run, the latest outermost (its Before first, its After last), with
// the object's own event() in the middle. An event no instance asked for is delivered by Qt as usual.
class CSubclass : public QObject {
    Q_OBJECT

public:
    CSubclass();
    ~CSubclass() override; // UnSubclass, whatever the state

    QVariant Tag;

    // The subclassed object; null when there is none or it was destroyed meanwhile.
    QObject *hWnd() const { return window_; }
    // Counts as subclassed from Subclass until UnSubclass, even after the object was destroyed.
    bool subclassed() const { return subclassed_; }

    bool AllBeforeMsgs() const { return allBefore_; }
    void setAllBeforeMsgs(bool bValue) { allBefore_ = bValue; }
    bool AllAfterMsgs() const { return allAfter_; }
    void setAllAfterMsgs(bool bValue) { allAfter_ = bValue; }
    const QList<int> &beforeMsgs() const { return before_; }
    const QList<int> &afterMsgs() const { return after_; }

    // Adds event numbers to a list, each once, in the order given. True only when every one was new.
    bool AddBeforeMsgs(const QList<int> &uMsgs);
    bool AddAfterMsgs(const QList<int> &uMsgs);

    // Starts watching the object with the sink. An owning reference keeps the sink alive until
    // UnSubclass; a weak one calls it only while someone else keeps it. False when this instance
    // already watches an object (or the object is null).
    bool Subclass(QObject *hWnd, const std::shared_ptr<ISubclassingSink> &Sink, bool WeakReference = false);
    // Stops watching and drops the sink. False when nothing is subclassed. Touches nothing of an object
    // that was destroyed meanwhile.
    bool UnSubclass();
    // The object's own event() for this event, without the sink; nothing without an object.
    std::optional<bool> CallOrigWndProc(QEvent *event);

    // What the chain needs of one instance.
    bool wantsBefore(int uMsg) const { return allBefore_ || before_.contains(uMsg); }
    bool wantsAfter(int uMsg) const { return allAfter_ || after_.contains(uMsg); }
    std::shared_ptr<ISubclassingSink> sink() const;

private:
    static bool addTo(QList<int> &list, const QList<int> &uMsgs);

    QPointer<QObject> window_;
    bool subclassed_ = false;
    std::shared_ptr<ISubclassingSink> owned_;
    std::weak_ptr<ISubclassingSink> weak_;
    QList<int> before_;
    QList<int> after_;
    bool allBefore_ = false;
    bool allAfter_ = false;
};
