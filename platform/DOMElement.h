#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// One element of a DOMDocument's tree: its name, its text, its attributes and
// the children it owns, in document order. Text stays in the bytes of the
// file; nothing decodes entities. Not thread-safe; one document per thread.
class DOMElement
{
public:
    // Returns nonzero to stop a walk; that value is the walk's result.
    using Visitor = int (*)(DOMElement* element, void* data);

    // A root: no parent, depth 0, no name.
    DOMElement() = default;
    DOMElement(const DOMElement&) = delete;
    DOMElement& operator=(const DOMElement&) = delete;
    virtual ~DOMElement();

    // A new last child, linked after the previous last child; owned by this.
    DOMElement* AddChild();
    // Forgets children, text, attributes and name (a root again).
    void Clear();

    // Pre-order from this element: the visitor on this first, then on each
    // child's subtree. 0 when every call returned 0.
    int Traverse(Visitor visitor, void* data);
    // The first child named name (the first child at all for a null name);
    // with recursive set, each child's subtree is searched before the next
    // child. Null when none.
    DOMElement* FindChild(const char* name, int recursive);

    std::string GetName() const { return m_name; }
    void SetName(const std::string& name) { m_name = name; }
    // Null when the element holds no text.
    const char* GetValue() const { return m_value ? m_value->c_str() : nullptr; }
    void SetValue(const char* value);
    int GetDepth() const { return m_depth; }
    DOMElement* GetParent() const { return m_parent; }
    DOMElement* GetNextSibling() const { return m_next; }
    DOMElement* GetPrevSibling() const { return m_previous; }
    const std::vector<std::unique_ptr<DOMElement>>& Children() const { return m_children; }
    // Name to value; a name given twice keeps its first value.
    std::map<std::string, std::string>& Attributes() { return m_attributes; }
    const std::map<std::string, std::string>& Attributes() const { return m_attributes; }
    // The value of attribute name, or null.
    const std::string* Attribute(const std::string& name) const;

private:
    std::string m_name;
    std::optional<std::string> m_value;
    int m_depth = 0;
    DOMElement* m_parent = nullptr;
    DOMElement* m_next = nullptr;
    DOMElement* m_previous = nullptr;
    std::vector<std::unique_ptr<DOMElement>> m_children;
    std::map<std::string, std::string> m_attributes;
};
