#include "platform/DOMElement.h"

#include <cstring>

DOMElement::~DOMElement() = default;

DOMElement* DOMElement::AddChild()
{
    auto child = std::make_unique<DOMElement>();
    child->m_parent = this;
    child->m_depth = m_depth + 1;
    if (!m_children.empty()) {
        m_children.back()->m_next = child.get();
        child->m_previous = m_children.back().get();
    }
    m_children.push_back(std::move(child));
    return m_children.back().get();
}

void DOMElement::Clear()
{
    m_children.clear();
    m_attributes.clear();
    m_value.reset();
    m_name.clear();
}

int DOMElement::Traverse(Visitor visitor, void* data)
{
    if (const int result = visitor(this, data))
        return result;
    for (const auto& child : m_children) {
        if (const int result = child->Traverse(visitor, data))
            return result;
    }
    return 0;
}

DOMElement* DOMElement::FindChild(const char* name, int recursive)
{
    for (const auto& child : m_children) {
        if (!name || child->m_name == name)
            return child.get();
        if (recursive) {
            if (DOMElement* found = child->FindChild(name, recursive))
                return found;
        }
    }
    return nullptr;
}

void DOMElement::SetValue(const char* value)
{
    if (value)
        m_value = std::string(value);
    else
        m_value.reset();
}

const std::string* DOMElement::Attribute(const std::string& name) const
{
    const auto it = m_attributes.find(name);
    return it == m_attributes.end() ? nullptr : &it->second;
}
