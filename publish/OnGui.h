#pragma once

#include <atomic>
#include <functional>

class QObject;

// Runs f on the thread that owns context (the GUI thread: widgets, message
// boxes, the ring library list) and waits until it has run, as a worker that
// must show something or ask the user does. f is skipped once closing is set:
// the window is going away and may be waiting for the worker, which must not
// then touch it. Called on context's own thread, f runs at once (a blocking
// call onto one's own thread would never return).
//
// context must outlive the call; the window's close sets closing before it
// waits for its workers, and keeps handling events while it waits.
void OnGui(QObject* context, const std::atomic<bool>& closing, const std::function<void()>& f);
