// Between the window library's portable logic and its Qt glue.
#pragma once

#include "runtime/gui/windows/windows.h"

// The window's delegate: turns the window's notifications into runtime events.
class KSWindowEvents {
public:
    void connect(KSWidget* window, int64_t id);
    // A close request: posts Event_CloseWindow and answers false (the window stays open).
    bool windowShouldClose();
    // The window is closing: releases its record, gadget list and queued events.
    void windowWillClose();
    void windowDidResize();
    void windowDidMove();
    void windowDidBecomeKey();
    void windowDidResignKey();
    void windowDidMiniaturize();
    // Back from minimised; zoomed: the window was maximised before.
    void windowDidDeminiaturize(bool zoomed);
    // Zoomed larger (maximised) or smaller (restored): the event to post with the next
    // resize, or at once when the window manager changes the state without one.
    void windowShouldZoom(bool larger);
    void postPendingZoom();
    int64_t windowID() const { return WindowID; }

    KSWidget* WindowInstance = nullptr;
    int64_t WindowID = 0;
    int32_t ZoomEvent = 0;
};

// The content view of a toolkit window, null for any other widget.
KSWidget* ContentViewOf(KSWidget* window);

extern WindowResizedHook WindowResized;
