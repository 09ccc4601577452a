// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QEvent>

class QObject;

// Called by CSubclass for the events it was asked to pass on. An event's number is its QEvent::Type; the
// event object carries what a message's parameters carried. lReturn is the result of the object's own
// event() (whether it handled the event); the event's accepted state travels on the event itself.
class ISubclassingSink {
public:
    virtual ~ISubclassingSink() = default;
    // After the object's own event(): may change the result.
    virtual void After(bool &lReturn, QObject *hWnd, int uMsg, QEvent *event) = 0;
    // Before it: setting bHandled skips the object's own event() and After, and lReturn is the result.
    // The sink may change the event, or put another in its place, before the object sees it.
    virtual void Before(bool &bHandled, bool &lReturn, QObject *hWnd, int &uMsg, QEvent *&event) = 0;
};
