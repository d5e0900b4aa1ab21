// The tag protocol every gadget view follows: the view keeps its gadget number (or
// dynamic id) and, when Qt destroys it first (its window went away), releases the
// gadget's record. A gadget freed first marks the view, whose destruction then does
// nothing more.
#pragma once

#include "runtime/gui/gadgets/gadgets.h"

#include <cstdint>

class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;
class QWidget;

class KSGadgetView {
public:
    KSGadgetView() = default;
    KSGadgetView(const KSGadgetView&) = delete;
    KSGadgetView& operator=(const KSGadgetView&) = delete;
    virtual ~KSGadgetView() = default;

    void setTag(int64_t tag) { KS_tag = tag; }
    int64_t tag() const { return KS_tag; }
    void setAlreadyDestroyed(bool destroyed) { KS_alreadyDestroyed = destroyed; }
    bool alreadyDestroyed() const { return KS_alreadyDestroyed; }

protected:
    // First thing in the destructor of the concrete view, while the Qt view is still whole.
    void viewDestroyed() {
        if (!KS_alreadyDestroyed) {
            KS_alreadyDestroyed = true;
            ReleaseGadget(KS_tag);
        }
    }
    // The functions object of the gadget this view belongs to, null once it is released.
    KSGadgetFunctions* functions() const;

    // Drops are forwarded with the view's tag. No view accepts dragged types, so Qt never
    // calls these; they keep the forwarding in one place should a kind ever accept drops.
    void forwardDragEnter(QDragEnterEvent* event);
    void forwardDragMove(QDragMoveEvent* event);
    void forwardDrop(QDropEvent* event);

private:
    int64_t KS_tag = 0;
    bool KS_alreadyDestroyed = false;
};

// The gadget view behind a widget, or null.
KSGadgetView* GadgetViewOf(QWidget* widget);
