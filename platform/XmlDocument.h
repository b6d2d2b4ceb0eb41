#pragma once

#include "platform/DOMDocument.h"

// A DOMDocument with a current element and path selection
// ("/UpdateInfo/UpdFiles/File"). Not thread-safe.
class XmlDocument : public DOMDocument
{
public:
    // LoadFile; the root becomes the current element. The load's result.
    int Load(const char* path);

    DOMElement* GetCurrent() const { return m_current; }
    // The caller may step through elements of this document itself.
    void SetCurrent(DOMElement* element) { m_current = element; }
    // The current element's next sibling; with move set and one present, it
    // becomes the current element.
    DOMElement* NextSibling(bool move);

    // A path starting with '/' or '\' starts at the root, any other at the
    // current element (the root, made current, when there is none). Each
    // '/'-separated part takes the first element of that name in a pre-order
    // walk from the previous match, that match included. Null when a part
    // matches nothing or the path has no parts.
    DOMElement* SelectNodeByPath(const char* path);
    // The last selection's result.
    DOMElement* GetSelected() const { return m_selected; }

protected:
    void TreeCleared() override;

private:
    DOMElement* m_current = nullptr;
    DOMElement* m_selected = nullptr;
};
