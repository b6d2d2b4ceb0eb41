#include "platform/XmlDocument.h"

#include <string>

namespace {

struct Search
{
    const std::string* name;
    DOMElement* found;
};

int MatchName(DOMElement* element, void* data)
{
    auto* search = static_cast<Search*>(data);
    if (element->GetName() != *search->name)
        return 0;
    search->found = element;
    return 1;
}

} // namespace

int XmlDocument::Load(const char* path)
{
    const int result = LoadFile(path);
    m_current = GetRoot();
    return result;
}

void XmlDocument::TreeCleared()
{
    m_current = nullptr;
    m_selected = nullptr;
}

DOMElement* XmlDocument::NextSibling(bool move)
{
    if (!m_current)
        return nullptr;
    DOMElement* next = m_current->GetNextSibling();
    if (move && next)
        m_current = next;
    return next;
}

DOMElement* XmlDocument::SelectNodeByPath(const char* path)
{
    m_selected = nullptr;
    if (!path)
        return nullptr;
    std::string rest(path);
    DOMElement* start = nullptr;
    if (!rest.empty() && (rest[0] == '/' || rest[0] == '\\')) {
        start = GetRoot();
        rest.erase(0, 1);
    } else {
        if (!m_current)
            m_current = GetRoot();
        start = m_current;
    }
    DOMElement* match = nullptr;
    size_t from = 0;
    while (from <= rest.size()) {
        size_t slash = rest.find('/', from);
        if (slash == std::string::npos)
            slash = rest.size();
        const std::string part = rest.substr(from, slash - from);
        from = slash + 1;
        if (part.empty())
            continue;
        Search search{&part, nullptr};
        start->Traverse(MatchName, &search);
        if (!search.found)
            return nullptr;
        match = start = search.found;
    }
    m_selected = match;
    return match;
}
