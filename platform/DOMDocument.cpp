#include "platform/DOMDocument.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

constexpr char kSpace[] = " \t\r\n";

std::string Trim(const std::string& text)
{
    const size_t first = text.find_first_not_of(kSpace);
    if (first == std::string::npos)
        return {};
    const size_t last = text.find_last_not_of(kSpace);
    return text.substr(first, last - first + 1);
}

// The text inside the first quote (double or apostrophe) at or after from,
// closed by the same character; when that one is not closed, the other kind
// is tried. False when neither is closed.
bool QuotedValue(const std::string& text, size_t from, size_t* open, size_t* close)
{
    const size_t first = text.find_first_of("\"'", from);
    if (first == std::string::npos)
        return false;
    const char kinds[2] = {text[first], text[first] == '"' ? '\'' : '"'};
    for (const char kind : kinds) {
        const size_t start = text.find(kind, from);
        if (start == std::string::npos)
            continue;
        const size_t end = text.find(kind, start + 1);
        if (end == std::string::npos)
            continue;
        *open = start;
        *close = end;
        return true;
    }
    return false;
}

struct FileCloser
{
    void operator()(FILE* file) const { std::fclose(file); }
};

} // namespace

DOMDocument::~DOMDocument() = default;

void DOMDocument::Reset()
{
    TreeCleared();
    m_root.Clear();
    m_text.clear();
    m_position = 0;
    m_version = "1.0";
    m_encoding = "GB2312";
}

int DOMDocument::LoadFile(const char* path)
{
    Reset();
    if (!path)
        return -1;
    // Opened without blocking and checked before reading: a FIFO or device
    // could block or never end.
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return -1;
    }
    std::unique_ptr<FILE, FileCloser> file(fdopen(fd, "rb"));
    if (!file) {
        close(fd);
        return -1;
    }
    if (fseeko(file.get(), 0, SEEK_END) != 0)
        return -1;
    const off_t size = ftello(file.get());
    if (size <= 0 || static_cast<unsigned long long>(size) > kMaxSize)
        return -1;
    std::string bytes(static_cast<size_t>(size), '\0');
    std::rewind(file.get());
    const size_t read = std::fread(bytes.data(), 1, bytes.size(), file.get());
    file.reset();
    // Exactly the bytes read, up to the first zero byte.
    bytes.resize(strnlen(bytes.data(), read));
    return Parse(std::move(bytes));
}

int DOMDocument::LoadFromString(const char* text)
{
    Reset();
    if (!text)
        return -1;
    const size_t length = strnlen(text, kMaxSize + 1);
    if (length > kMaxSize)
        return -1;
    return Parse(std::string(text, length));
}

int DOMDocument::Parse(std::string text)
{
    m_text = std::move(text);
    m_position = 0;
    ParseDeclaration();
    return ParseRoot();
}

int DOMDocument::Traverse(DOMElement::Visitor visitor, DOMElement* start, void* data)
{
    if (!visitor || !start)
        return -1;
    return start->Traverse(visitor, data);
}

int DOMDocument::ParseDeclaration()
{
    const auto read = [this](const char* keyword, std::string* value, const char* fallback) {
        const size_t at = m_text.find(keyword);
        if (at == std::string::npos)
            return false;
        m_position = at;
        size_t open = 0, close = 0;
        if (QuotedValue(m_text, at, &open, &close))
            *value = m_text.substr(open + 1, close - open - 1);
        else
            *value = fallback;
        return true;
    };
    if (!read("version", &m_version, "1.0"))
        return -1;
    if (!read("encoding", &m_encoding, "GB2312"))
        return -1;
    return 0;
}

int DOMDocument::ReadTag(std::string& tag, std::string& text)
{
    const size_t start = m_text.find_first_not_of(kSpace, m_position);
    if (start == std::string::npos)
        return -1;
    const size_t open = m_text.find('<', start);
    if (open == std::string::npos)
        return -1;
    text = m_text.substr(start, open - start);
    const size_t close = m_text.find('>', open + 1);
    if (close == std::string::npos)
        return -1;
    tag = m_text.substr(open + 1, close - open - 1);
    m_position = close + 1;
    return 0;
}

int DOMDocument::ParseRoot()
{
    const size_t end = m_text.rfind("?>");
    m_position = end == std::string::npos ? 0 : end + 2;
    const size_t open = m_text.find('<', m_position);
    if (open == std::string::npos) {
        std::printf("ERROR: It is not XML Document.\n");
        return -1;
    }
    const size_t close = m_text.find('>', open + 1);
    if (close == std::string::npos || close == open + 1) {
        std::printf("ERROR: There is no tag name int the XML root.\n");
        return -1;
    }
    const std::string tag = m_text.substr(open + 1, close - open - 1);
    m_root.SetName(tag.substr(0, tag.find(' ')));
    m_position = close + 1;
    if (m_text.find("/" + m_root.GetName()) == std::string::npos) {
        std::printf("ERROR: Root tag nomatch.\n");
        return -1;
    }
    return ParseChildren(&m_root);
}

int DOMDocument::ParseChildren(DOMElement* element)
{
    std::string tag, text;
    while (m_position < m_text.size()) {
        if (ReadTag(tag, text) != 0) {
            std::printf("Error: Without a finish tag for <%s>.\n", element->GetName().c_str());
            return -1;
        }
        if (!text.empty())
            element->SetValue(text.c_str());
        if (!tag.empty() && tag[0] == '/') {
            if (tag.compare(1, std::string::npos, element->GetName()) == 0)
                return 0;
            std::printf("ERROR: Can't find a end tag for <%s>.\n", element->GetName().c_str());
            return -1;
        }
        // A hostile file must not recurse without bound.
        if (tag.empty() || element->GetDepth() >= kMaxDepth)
            return -1;
        DOMElement* child = element->AddChild();
        if (tag.back() == '/') {
            tag.pop_back();
            if (ParseTagAttributes(child, tag) < 0)
                return -1;
        } else if (ParseTagAttributes(child, tag) < 0 || ParseChildren(child) != 0) {
            return -1;
        }
    }
    std::printf("Error: without a finish tag for <%s>.\n", element->GetName().c_str());
    return -1;
}

int DOMDocument::ParseTagAttributes(DOMElement* element, const std::string& tagText)
{
    auto& attributes = element->Attributes();
    attributes.clear();
    const std::string tag = Trim(tagText);
    const size_t blank = tag.find_first_of(kSpace);
    if (blank == std::string::npos) {
        element->SetName(tag);
        return 0;
    }
    element->SetName(tag.substr(0, blank));
    size_t point = blank + 1;
    int count = 0;
    for (;;) {
        const size_t equals = tag.find('=', point);
        if (equals == std::string::npos)
            break;
        const std::string name = Trim(tag.substr(point, equals - point));
        size_t open = 0, close = 0;
        if (!QuotedValue(tag, equals + 1, &open, &close))
            return -1;
        attributes.emplace(name, Trim(tag.substr(open + 1, close - open - 1)));
        ++count;
        point = close + 1;
    }
    return point >= tag.size() ? count : -1;
}
