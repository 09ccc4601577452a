// SPDX-License-Identifier: GPL-3.0-or-later
#include "components/CSubclass.h"

#include <QHash>
#include <algorithm>

using namespace Qt::Literals::StringLiterals;

CSubclass::CSubclass() = default;

CSubclass::~CSubclass() {
    UnSubclass();
}

bool CSubclass::addTo(QList<int> &list, const QList<int> &uMsgs) {
    bool allNew = true;
    for (int msg : uMsgs) {
        if (list.contains(msg))
            allNew = false;
        else
            list.append(msg);
    }
    return allNew;
}

bool CSubclass::AddBeforeMsgs(const QList<int> &uMsgs) {
    return addTo(before_, uMsgs);
}

bool CSubclass::AddAfterMsgs(const QList<int> &uMsgs) {
    return addTo(after_, uMsgs);
}

namespace {

// The one filter on a watched object: the instances that watch it, in the order they subclassed it.
class SubclassChain : public QObject {
public:
    explicit SubclassChain(QObject *watched)
        : watched_(watched) {
        watched->installEventFilter(this);
        // Not a child of the object (that would be an event of its own): the chain goes when it goes.
        connect(watched, &QObject::destroyed, this, [this, watched] {
            registry().remove(watched);
            deleteLater();
        });
    }

    static SubclassChain *of(QObject *watched, bool create) {
        if (SubclassChain *chain = registry().value(watched))
            return chain;
        if (!create)
            return nullptr;
        auto *chain = new SubclassChain(watched);
        registry().insert(watched, chain);
        return chain;
    }

    void add(CSubclass *s) { links_.append(s); }
    void remove(CSubclass *s) {
        links_.removeAll(s);
        if (links_.isEmpty()) {
            registry().remove(watched_);
            if (watched_)
                watched_->removeEventFilter(this);
            deleteLater();
        }
    }

    // The procedure below link i (the previous one for instance i): the links under it, then the object.
    bool below(qsizetype i, int &msg, QEvent *&event) {
        const QList<QPointer<CSubclass>> links(links_.begin(), links_.end());
        return run(links, i - 1, msg, event);
    }
    qsizetype indexOf(const CSubclass *s) const { return links_.indexOf(s); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (watched != watched_)
            return false;
        int msg = static_cast<int>(event->type());
        const bool wanted = std::any_of(links_.begin(), links_.end(), [msg](const CSubclass *s) {
            return s->wantsBefore(msg) || s->wantsAfter(msg);
        });
        if (!wanted)
            return false;
        // Snapshots: a sink may end its own or another's subclassing while the chain runs.
        const QList<QPointer<CSubclass>> links(links_.begin(), links_.end());
        QEvent *seen = event;
        run(links, links.size() - 1, msg, seen);
        if (seen != event)
            event->setAccepted(seen->isAccepted());
        // The object's own event() ran inside the chain (or a Before handled the event): Qt must not deliver
        // it again. The event's accepted state still decides whether it goes on to the parent.
        return true;
    }

private:
    // Every watched object's chain, found by the object: one thread, the user interface's.
    static QHash<QObject *, SubclassChain *> &registry() {
        static QHash<QObject *, SubclassChain *> chains;
        return chains;
    }

    bool run(const QList<QPointer<CSubclass>> &links, qsizetype i, int &msg, QEvent *&event) {
        if (i < 0) {
            // QObject::event() is public; through a QObject pointer it reaches the object's own override.
            return watched_ ? static_cast<QObject *>(watched_)->event(event) : false;
        }
        CSubclass *link = links[i];
        if (!link || link->hWnd() != watched_)
            return run(links, i - 1, msg, event);
        const std::shared_ptr<ISubclassingSink> sink = link->sink();
        const bool after = link->wantsAfter(msg);
        bool lReturn = false;
        if (sink && link->wantsBefore(msg)) {
            bool handled = false;
            sink->Before(handled, lReturn, watched_, msg, event);
            if (handled)
                return lReturn;
        }
        lReturn = run(links, i - 1, msg, event);
        if (sink && after && watched_)
            sink->After(lReturn, watched_, msg, event);
        return lReturn;
    }

    QPointer<QObject> watched_;
    QList<CSubclass *> links_;
};

} // namespace

bool CSubclass::Subclass(QObject *hWnd, const std::shared_ptr<ISubclassingSink> &Sink, bool WeakReference) {
    if (subclassed_ || !hWnd)
        return false;
    subclassed_ = true;
    window_ = hWnd;
    weak_ = Sink;
    owned_ = WeakReference ? nullptr : Sink;
    SubclassChain::of(hWnd, true)->add(this);
    return true;
}

bool CSubclass::UnSubclass() {
    if (!subclassed_)
        return false;
    owned_.reset();
    weak_.reset();
    // A destroyed object took its chain with it: nothing of it is touched.
    if (window_)
        if (SubclassChain *chain = SubclassChain::of(window_, false))
            chain->remove(this);
    window_ = nullptr;
    subclassed_ = false;
    return true;
}

std::shared_ptr<ISubclassingSink> CSubclass::sink() const {
    return weak_.lock();
}

std::optional<bool> CSubclass::CallOrigWndProc(QEvent *event) {
    if (!window_)
        return std::nullopt;
    SubclassChain *chain = SubclassChain::of(window_, false);
    int msg = static_cast<int>(event->type());
    if (!chain)
        return static_cast<QObject *>(window_)->event(event);
    return chain->below(chain->indexOf(this), msg, event);
}
