// The bytes as an XML document, read from a file and from a string: the tree
// is walked and checked (depths, parents, siblings), paths are selected, and
// a second load replaces the first.
#include "fuzz/FuzzInput.h"
#include "platform/XmlDocument.h"

#include <cstdint>
#include <cstdio>
#include <string>

namespace {

int CheckElement(DOMElement* element, void* data)
{
    auto* count = static_cast<size_t*>(data);
    ++*count;
    FuzzInput::Check(element->GetDepth() <= DOMDocument::kMaxDepth + 1, "depth within the cap");
    const auto& children = element->Children();
    for (size_t i = 0; i < children.size(); ++i) {
        const DOMElement* child = children[i].get();
        FuzzInput::Check(child->GetParent() == element, "child knows its parent");
        FuzzInput::Check(child->GetDepth() == element->GetDepth() + 1, "child depth");
        FuzzInput::Check(child->GetPrevSibling() == (i ? children[i - 1].get() : nullptr),
                         "previous sibling");
        FuzzInput::Check(child->GetNextSibling() ==
                             (i + 1 < children.size() ? children[i + 1].get() : nullptr),
                         "next sibling");
    }
    return 0;
}

void Exercise(XmlDocument& document)
{
    size_t count = 0;
    FuzzInput::Check(document.Traverse(CheckElement, document.GetRoot(), &count) == 0, "walk");
    for (const char* path : {"/UpdateInfo/VersionInfo/MajorVer", "/UpdateInfo/UpdFiles/File",
                             "\\a//b/", "File", "", "/"}) {
        DOMElement* found = document.SelectNodeByPath(path);
        FuzzInput::Check(found == document.GetSelected(), "selection remembered");
        if (found) {
            document.SetCurrent(found);
            while (document.NextSibling(true)) {
            }
            found->FindChild("FileName", 0);
            found->FindChild(nullptr, 1);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // The parse diagnostics would flood the log.
    if (!std::freopen("/dev/null", "w", stdout))
        return 1;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    XmlDocument document;
    const QString path = FuzzInput::Write(data, size, QStringLiteral("doc.xml"));
    document.Load(path.toLocal8Bit().constData());
    Exercise(document);

    const std::string text(reinterpret_cast<const char*>(data), size);
    document.LoadFromString(text.c_str());
    FuzzInput::Check(document.GetCurrent() == nullptr || document.GetCurrent() ==
                         document.GetRoot(), "a load forgets the old current element");
    Exercise(document);
    return 0;
}
