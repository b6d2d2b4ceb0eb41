#pragma once

#include "platform/DOMElement.h"

#include <cstddef>
#include <string>

// A small XML reader: an optional declaration, nested elements with
// attributes (in double quotes or apostrophes), self-closing elements and
// text. No entities, comments, CDATA or namespaces; the text keeps the bytes
// of the file. A parse failure prints an English diagnostic on standard
// output and returns -1, keeping the elements built so far. Documents over
// kMaxSize bytes or nested deeper than kMaxDepth are refused. Not
// thread-safe; one document per thread.
class DOMDocument
{
public:
    static constexpr size_t kMaxSize = 1 << 20; // bytes
    static constexpr int kMaxDepth = 64;        // the root is depth 0

    DOMDocument() = default;
    DOMDocument(const DOMDocument&) = delete;
    DOMDocument& operator=(const DOMDocument&) = delete;
    virtual ~DOMDocument();

    // Reads a regular file whole and parses it as text up to its first zero
    // byte. 0, or -1 when it cannot be read, is empty or too large (without a
    // message) or does not parse.
    int LoadFile(const char* path);
    // 0, or -1 for a null or too long text or a failed parse. Every load
    // first forgets the previous tree.
    int LoadFromString(const char* text);

    DOMElement* GetRoot() { return &m_root; }
    // -1 without a visitor or start, else start's walk.
    int Traverse(DOMElement::Visitor visitor, DOMElement* start, void* data);

    // "1.0" and "GB2312" unless the declaration says otherwise.
    const std::string& GetVersion() const { return m_version; }
    const std::string& GetEncoding() const { return m_encoding; }

protected:
    // Called when a load is about to replace the tree.
    virtual void TreeCleared() {}

private:
    void Reset();
    int Parse(std::string text);
    int ParseDeclaration();
    int ReadTag(std::string& tag, std::string& text);
    int ParseRoot();
    int ParseChildren(DOMElement* element);
    static int ParseTagAttributes(DOMElement* element, const std::string& tagText);

    size_t m_position = 0;
    std::string m_text;
    std::string m_version = "1.0";
    std::string m_encoding = "GB2312";
    DOMElement m_root;
};
