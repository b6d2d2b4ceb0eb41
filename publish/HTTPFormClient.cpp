#include "publish/HTTPFormClient.h"

#include "publish/CurlShare.h"
#include "publish/CurlTransfer.h"
#include "publish/HTTPFormEncoding.h"
#include "publish/RequestCancel.h"
#include "publish/ServiceProtocol.h"
#include "platform/TextCoding.h"

#include <curl/curl.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <memory>
#include <string_view>
#include <utility>

namespace {

const char kNoTextFields[] = "提交的表单域为空！";
const char kNoFileFields[] = "没有需要上传的文件！";
const char kUrlParseError[] = "URL地址解析错误！";
const char kFormStatusError[] = "提交表单数据时出现错误！";
const char kUploadStatusError[] = "文件在上传时出现错误！";

const char kDisposition[] = "Content-Disposition: form-data; ";
const char kOctetStream[] = "Content-Type: application/octet-stream\r\n\r\n";

constexpr size_t kFileChunk = 4096;

std::atomic<long> g_connectMs{CHTTPFormClient::Timeouts().connectMs};
std::atomic<long> g_stallSeconds{CHTTPFormClient::Timeouts().stallSeconds};
std::atomic<long> g_formDeadlineMs{CHTTPFormClient::Timeouts().formDeadlineMs};
std::atomic<long> g_uploadBaseMs{CHTTPFormClient::Timeouts().uploadBaseMs};
std::atomic<long> g_uploadFloor{CHTTPFormClient::Timeouts().uploadFloorBytesPerSecond};

struct EasyDeleter
{
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct UrlDeleter
{
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};
struct SlistDeleter
{
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
std::string AsciiLower(std::string text)
{
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

bool IsHeaderSpace(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view TrimmedHeaderText(std::string_view text)
{
    while (!text.empty() && IsHeaderSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsHeaderSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

using CurlTransfer::Truncated;

std::string SystemError(const std::string& path, int error)
{
    return Truncated(path + ": " + std::strerror(error));
}

// The file name a multipart part announces: the base name of the local path
// (the folders are nobody's business), with '"', CR and LF percent-encoded so
// the name cannot end the header early.
std::string PartFileName(const std::string& path)
{
    const size_t slash = path.rfind('/');
    const std::string_view base = slash == std::string::npos
                                      ? std::string_view(path)
                                      : std::string_view(path).substr(slash + 1);
    std::string name;
    for (const char c : base) {
        if (c == '"')
            name += "%22";
        else if (c == '\r')
            name += "%0D";
        else if (c == '\n')
            name += "%0A";
        else
            name.push_back(c);
    }
    return name;
}

std::string EncodedFields(const std::vector<CHTTPFormFieldText>& fields)
{
    std::string encoded;
    for (const CHTTPFormFieldText& field : fields) {
        if (!encoded.empty())
            encoded.push_back('&');
        encoded += UrlEncodeForm(field.GetName());
        encoded.push_back('=');
        encoded += UrlEncodeForm(field.GetValue());
    }
    return encoded;
}

class FileDescriptor
{
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(FileDescriptor&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept
    {
        std::swap(m_fd, other.m_fd);
        return *this;
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int Get() const { return m_fd; }

private:
    int m_fd = -1;
};

} // namespace

// What a request sends: its length, announced before the send, and its bytes,
// handed to curl piece by piece. A body that cannot go on sets its error.
class HTTPRequestBody
{
public:
    virtual ~HTTPRequestBody() = default;
    virtual int64_t Length() const = 0;
    // Copies up to size bytes; 0 at the end; false on failure.
    virtual bool Read(char* buffer, size_t size, size_t& copied) = 0;
    std::string error;
};

namespace {

class MemoryBody : public HTTPRequestBody
{
public:
    explicit MemoryBody(std::string bytes) : m_bytes(std::move(bytes)) {}
    int64_t Length() const override { return static_cast<int64_t>(m_bytes.size()); }
    bool Read(char* buffer, size_t size, size_t& copied) override
    {
        copied = std::min(size, m_bytes.size() - m_offset);
        std::memcpy(buffer, m_bytes.data() + m_offset, copied);
        m_offset += copied;
        return true;
    }

private:
    std::string m_bytes;
    size_t m_offset = 0;
};

// The multipart body, streamed: header and text blocks from memory, file
// contents in reads of 4096 bytes. Text blocks and file data count as sent;
// file headers, the line end after each file and the closing line do not.
class MultipartBody : public HTTPRequestBody
{
public:
    struct OpenFile
    {
        std::string path;
        FileDescriptor fd;
        int64_t size = 0;
    };

    MultipartBody(std::vector<OpenFile> files, CHTTPFormClient::ProgressHandler progress)
        : m_files(std::move(files)), m_progress(std::move(progress))
    {
    }

    void AddBlock(std::string bytes, bool counted)
    {
        m_length += static_cast<int64_t>(bytes.size());
        m_pieces.push_back({std::move(bytes), counted, kNoFile});
    }
    void AddFileData(size_t file)
    {
        m_length += m_files[file].size;
        m_pieces.push_back({std::string(), true, file});
    }

    int64_t Length() const override { return m_length; }

    bool Read(char* buffer, size_t size, size_t& copied) override
    {
        copied = 0;
        while (m_pending.empty()) {
            if (m_fileLeft > 0) {
                if (!ReadFileChunk())
                    return false;
                continue;
            }
            if (m_next >= m_pieces.size())
                return true;
            const Piece& piece = m_pieces[m_next++];
            if (piece.file != kNoFile) {
                m_file = piece.file;
                m_fileLeft = m_files[m_file].size;
                continue;
            }
            m_pending = piece.bytes;
            if (piece.counted)
                m_sent += static_cast<int64_t>(piece.bytes.size());
        }
        copied = std::min(size, m_pending.size());
        std::memcpy(buffer, m_pending.data(), copied);
        m_pending.remove_prefix(copied);
        return true;
    }

private:
    static constexpr size_t kNoFile = static_cast<size_t>(-1);

    struct Piece
    {
        std::string bytes;
        bool counted;
        size_t file;
    };

    bool ReadFileChunk()
    {
        OpenFile& file = m_files[m_file];
        const size_t want = static_cast<size_t>(std::min<int64_t>(m_fileLeft, kFileChunk));
        ssize_t got = 0;
        do {
            got = ::read(file.fd.Get(), m_chunk, want);
        } while (got < 0 && errno == EINTR);
        if (got < 0) {
            error = SystemError(file.path, errno);
            return false;
        }
        if (got == 0) {
            // The file shrank since its length was announced.
            error = Truncated(file.path + ": file ended before its announced length");
            return false;
        }
        m_fileLeft -= got;
        m_sent += got;
        m_pending = std::string_view(m_chunk, static_cast<size_t>(got));
        if (m_progress)
            m_progress(static_cast<unsigned>(static_cast<uint64_t>(m_sent) * 100 /
                                             static_cast<uint64_t>(m_length)));
        return true;
    }

    std::vector<OpenFile> m_files;
    CHTTPFormClient::ProgressHandler m_progress;
    std::vector<Piece> m_pieces;
    int64_t m_length = 0;
    int64_t m_sent = 0;
    size_t m_next = 0;
    size_t m_file = kNoFile;
    int64_t m_fileLeft = 0;
    std::string_view m_pending;
    char m_chunk[kFileChunk];
};

using Clock = CurlTransfer::Clock;

// What the callbacks of one request share with the loop that waits for it.
struct Transfer
{
    CURL* easy = nullptr;
    std::string* response = nullptr;
    HTTPRequestBody* body = nullptr;
    int64_t bodyBytes = 0; // every body byte received, kept or not
    bool tooLarge = false;
    CurlTransfer::HeadReader head;
    Clock::time_point lastMoved;
};

// Calls the done handler when the multipart send ends, on every path.
class DoneNotice
{
public:
    explicit DoneNotice(const CHTTPFormClient::DoneHandler& done) : m_done(done) {}
    ~DoneNotice()
    {
        if (m_done)
            m_done();
    }
    DoneNotice(const DoneNotice&) = delete;
    DoneNotice& operator=(const DoneNotice&) = delete;

private:
    const CHTTPFormClient::DoneHandler& m_done;
};

} // namespace

void CHTTPFormClient::SetTimeouts(const Timeouts& timeouts)
{
    g_connectMs = timeouts.connectMs;
    g_stallSeconds = timeouts.stallSeconds;
    g_formDeadlineMs = timeouts.formDeadlineMs;
    g_uploadBaseMs = timeouts.uploadBaseMs;
    g_uploadFloor = timeouts.uploadFloorBytesPerSecond;
}

CHTTPFormClient::Timeouts CHTTPFormClient::GetTimeouts()
{
    Timeouts timeouts;
    timeouts.connectMs = g_connectMs;
    timeouts.stallSeconds = g_stallSeconds;
    timeouts.formDeadlineMs = g_formDeadlineMs;
    timeouts.uploadBaseMs = g_uploadBaseMs;
    timeouts.uploadFloorBytesPerSecond = g_uploadFloor;
    return timeouts;
}

CHTTPFormClient::CHTTPFormClient(std::string url) : m_url(std::move(url)) {}

std::string CHTTPFormClient::ContentTypeCharset(std::string_view value)
{
    // media-type *( ";" parameter ), parameter = name "=" ( token / quoted-string )
    size_t at = value.find(';');
    while (at < value.size()) {
        ++at; // past the ';'
        const size_t equals = value.find_first_of("=;", at);
        if (equals == std::string_view::npos)
            break;
        const std::string name =
            AsciiLower(std::string(TrimmedHeaderText(value.substr(at, equals - at))));
        at = equals;
        if (value[at] == ';')
            continue; // a parameter without a value
        ++at;
        while (at < value.size() && IsHeaderSpace(value[at]))
            ++at;
        std::string parameter;
        if (at < value.size() && value[at] == '"') {
            // A quoted string: a backslash takes the next byte as it stands.
            for (++at; at < value.size() && value[at] != '"'; ++at) {
                if (value[at] == '\\' && at + 1 < value.size())
                    ++at;
                parameter.push_back(value[at]);
            }
            at = value.find(';', at);
        } else {
            const size_t end = value.find(';', at);
            parameter = std::string(TrimmedHeaderText(value.substr(at, end - at)));
            at = end;
        }
        if (name == "charset")
            return AsciiLower(parameter);
    }
    return std::string();
}

void CHTTPFormClient::AddTextField(const std::string& name, const std::string& value)
{
    if (!name.empty())
        m_textFields.emplace_back(name, value);
}

void CHTTPFormClient::AddFileField(const std::string& name, const std::string& filePath)
{
    if (!name.empty() && !filePath.empty())
        m_fileFields.emplace_back(name, filePath);
}

bool CHTTPFormClient::ParseURL()
{
    CurlTransfer::UrlParts parts;
    const char* error = CurlTransfer::SplitURL(m_url, parts);
    m_serviceType = ServiceType::None;
    if (!error)
        m_serviceType = parts.https ? ServiceType::Https : ServiceType::Http;
    m_server = parts.server;
    m_object = parts.object;
    m_port = parts.port;
    if (error)
        m_errorText = error;
    return !error;
}

std::string CHTTPFormClient::MakeBoundary() const
{
    std::string boundary(30, '-');
    for (int i = 0; i < 12; ++i)
        boundary.push_back(RandomHexChar());
    return boundary;
}

bool CHTTPFormClient::PostForm()
{
    if (m_textFields.empty()) {
        m_errorText = kNoTextFields;
        return false;
    }
    if (!ParseURL())
        return false;
    MemoryBody body(EncodedFields(m_textFields));
    return Perform({"Content-Type:application/x-www-form-urlencoded"}, body, true,
                   g_formDeadlineMs.load(), kFormStatusError);
}

bool CHTTPFormClient::PostQuery()
{
    const std::string query = EncodedFields(m_textFields);
    if (!query.empty())
        m_url += (FindCharFrom(m_url, '?', 0) < 0 ? "?" : "&") + query;
    if (!ParseURL())
        return false;
    // An empty POST: no body and no Content-Type of curl's own.
    MemoryBody body{std::string()};
    return Perform({"Content-Type:"}, body, true, g_formDeadlineMs.load(), kFormStatusError);
}

bool CHTTPFormClient::PostMultipart()
{
    if (m_fileFields.empty()) {
        m_errorText = kNoFileFields;
        return false;
    }
    if (!ParseURL())
        return false;
    const DoneNotice done(m_done);

    // Every file is opened before anything is sent, so a missing one fails the
    // request instead of sending an empty part.
    std::vector<MultipartBody::OpenFile> files;
    for (const CHTTPFormFieldFile& field : m_fileFields) {
        MultipartBody::OpenFile file;
        file.path = field.GetFilePath();
        // Non-blocking, so a FIFO in its place cannot hang the open.
        FileDescriptor fd(::open(file.path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
        struct stat status = {};
        if (fd.Get() < 0 || ::fstat(fd.Get(), &status) != 0) {
            m_errorText = SystemError(file.path, errno);
            return false;
        }
        if (!S_ISREG(status.st_mode)) {
            m_errorText = Truncated(file.path + ": not a regular file");
            return false;
        }
        file.fd = std::move(fd);
        file.size = status.st_size;
        files.push_back(std::move(file));
    }

    const std::string boundary = MakeBoundary();
    const std::string delimiter = "--" + boundary;
    MultipartBody body(std::move(files), m_progress);
    for (const CHTTPFormFieldText& field : m_textFields) {
        body.AddBlock(delimiter + "\r\n" + kDisposition + "name=\"" + field.GetName() +
                          "\"\r\n\r\n" + field.GetValue() + "\r\n",
                      true);
    }
    for (size_t i = 0; i < m_fileFields.size(); ++i) {
        const CHTTPFormFieldFile& field = m_fileFields[i];
        body.AddBlock(delimiter + "\r\n" + kDisposition + "name=\"" + field.GetName() +
                          "\"; filename=\"" + PartFileName(field.GetFilePath()) + "\"\r\n" +
                          kOctetStream,
                      false);
        body.AddFileData(i);
        body.AddBlock("\r\n", false);
    }
    body.AddBlock(delimiter + "--\r\n", false);

    // The whole upload is bounded, its time growing with its size.
    const int64_t floor = std::max<long>(g_uploadFloor.load(), 1);
    const int64_t deadlineMs = g_uploadBaseMs.load() + body.Length() * 1000 / floor;
    return Perform({"Content-Type: multipart/form-data; boundary=" + boundary}, body, false,
                   static_cast<long>(std::min<int64_t>(deadlineMs, LONG_MAX)), kUploadStatusError);
}

bool CHTTPFormClient::Perform(const std::vector<std::string>& headers, HTTPRequestBody& body,
                              bool readCharset, long deadlineMs, const char* statusError)
{
    m_errorText.clear();
    m_status = 0;
    std::unique_ptr<CURL, EasyDeleter> easy(static_cast<CURL*>(NewSharedCurlHandle()));
    std::unique_ptr<CURLU, UrlDeleter> url(curl_url());
    if (!easy || !url || curl_url_set(url.get(), CURLUPART_URL, m_url.c_str(), 0) != CURLUE_OK) {
        m_errorText = kUrlParseError;
        return false;
    }

    curl_slist* list = nullptr;
    for (const std::string& header : headers)
        list = curl_slist_append(list, header.c_str());
    if (!m_userAgent.empty())
        list = curl_slist_append(list, ("User-Agent: " + m_userAgent).c_str());
    // No "Expect: 100-continue": the body follows the headers at once.
    list = curl_slist_append(list, "Expect:");
    const std::unique_ptr<curl_slist, SlistDeleter> headerList(list);

    Transfer transfer;
    transfer.easy = easy.get();
    transfer.response = &m_response;
    transfer.body = &body;
    const curl_write_callback onHeader = [](char* data, size_t size, size_t count,
                                            void* user) -> size_t {
        auto* transfer = static_cast<Transfer*>(user);
        const std::string_view line(data, size * count);
        transfer->lastMoved = Clock::now();
        transfer->head.Feed(line);
        return size * count;
    };
    const curl_write_callback onWrite = [](char* data, size_t size, size_t count,
                                           void* user) -> size_t {
        auto* transfer = static_cast<Transfer*>(user);
        const size_t bytes = size * count;
        transfer->lastMoved = Clock::now();
        transfer->bodyBytes += static_cast<int64_t>(bytes);
        if (transfer->bodyBytes > CHTTPFormClient::kMaxResponseBytes) {
            transfer->tooLarge = true;
            return 0;
        }
        long status = 0;
        curl_easy_getinfo(transfer->easy, CURLINFO_RESPONSE_CODE, &status);
        // The body of a refused request is not the service's answer, unless it
        // says why the user is refused.
        if (status < 300 || IsLoginLost(status))
            transfer->response->append(data, bytes);
        return bytes;
    };
    const curl_read_callback onRead = [](char* buffer, size_t size, size_t count,
                                         void* user) -> size_t {
        auto* transfer = static_cast<Transfer*>(user);
        size_t copied = 0;
        if (!transfer->body->Read(buffer, size * count, copied))
            return CURL_READFUNC_ABORT;
        if (copied > 0)
            transfer->lastMoved = Clock::now();
        return copied;
    };

    char errorBuffer[CURL_ERROR_SIZE] = {};
    CURL* handle = easy.get();
    curl_easy_setopt(handle, CURLOPT_CURLU, url.get());
    CurlTransfer::SetCommonOptions(handle, g_connectMs.load());
    curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 0L);
    if (deadlineMs > 0)
        curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, deadlineMs);
    // A reply that announces more than the limit fails before its body.
    curl_easy_setopt(handle, CURLOPT_MAXFILESIZE_LARGE,
                     static_cast<curl_off_t>(kMaxResponseBytes));
    curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, errorBuffer);
    curl_easy_setopt(handle, CURLOPT_HTTPHEADER, list);
    curl_easy_setopt(handle, CURLOPT_POST, 1L);
    curl_easy_setopt(handle, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.Length()));
    curl_easy_setopt(handle, CURLOPT_READFUNCTION, onRead);
    curl_easy_setopt(handle, CURLOPT_READDATA, &transfer);
    curl_easy_setopt(handle, CURLOPT_HEADERFUNCTION, onHeader);
    curl_easy_setopt(handle, CURLOPT_HEADERDATA, &transfer);
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, onWrite);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &transfer);

    const CurlTransfer::End end =
        CurlTransfer::Run(handle, transfer.lastMoved, m_cancel.get(), g_stallSeconds.load());
    if (end.abort == CurlTransfer::End::Abort::Cancelled) {
        m_errorText = "request cancelled";
        return false;
    }
    if (end.abort == CurlTransfer::End::Abort::Stalled) {
        m_errorText = "no data moved for " + std::to_string(g_stallSeconds.load()) + " s";
        return false;
    }
    if (transfer.tooLarge || end.result == CURLE_FILESIZE_EXCEEDED) {
        m_errorText = "reply longer than " + std::to_string(kMaxResponseBytes) + " bytes";
        return false;
    }
    if (end.result != CURLE_OK) {
        if (!body.error.empty())
            m_errorText = body.error;
        else
            m_errorText = Truncated(errorBuffer[0] ? errorBuffer : curl_easy_strerror(end.result));
        return false;
    }
    // The connection can drop after the status line or inside the headers
    // and still end "without error": such a reply never came.
    if (!transfer.head.headEnded) {
        m_errorText = "reply ended inside its headers";
        return false;
    }
    long status = 0;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
    m_status = status;
    if (readCharset && (status < 300 || IsLoginLost(status))) {
        const char* contentType = nullptr;
        curl_easy_getinfo(handle, CURLINFO_CONTENT_TYPE, &contentType);
        const std::string charset = ContentTypeCharset(contentType ? contentType : "");
        if (!charset.empty())
            m_responseCharset = charset;
    }
    if (status >= 300) {
        m_errorText = statusError;
        return false;
    }
    return true;
}
