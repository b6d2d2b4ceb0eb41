#pragma once

#include <QWidget>

class CSubclassWnd;

// The hook chains of all widgets. Each hooked widget carries its chain in a
// small child object that is its event filter, so no global table is needed:
// the chain lives and dies with its widget. GUI thread.
class CSubclassWndMap
{
public:
    // The first hook of the widget's chain, or null.
    static CSubclassWnd* Lookup(const QWidget* window);
    // Puts hook in front of the widget's chain.
    static void Add(QWidget* window, CSubclassWnd* hook);
    // Takes hook out of its widget's chain, relinking the hooks around it; the
    // last hook leaving removes the chain. A hook not in its widget's chain is
    // left alone.
    static void Remove(CSubclassWnd* hook);
    // Unhooks and deletes every hook of the widget.
    static void RemoveAll(QWidget* window);
};
