#include "tests/publish/RingServiceFixture.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTcpSocket>

namespace {

constexpr int kStartTimeoutMs = 30000;

} // namespace

RingServiceFixture::RingServiceFixture() : m_process(std::make_unique<QProcess>())
{
    const QString python = QStandardPaths::findExecutable("python3");
    if (python.isEmpty()) {
        m_startError = "python3 not found";
        return;
    }
    m_process->setProcessChannelMode(QProcess::SeparateChannels);
    m_process->setStandardErrorFile(m_dir.filePath("stderr.txt"));
    m_process->start(python, {QStringLiteral(RING_SERVICE_SCRIPT), "--port", "0", "--data-dir",
                              m_dir.path(), "--record-bodies"});
    if (!m_process->waitForStarted(kStartTimeoutMs)) {
        m_startError = "python3 did not start";
        return;
    }
    static const QRegularExpression listening("listening on 127\\.0\\.0\\.1:(\\d+)");
    QByteArray output;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < kStartTimeoutMs && m_process->state() == QProcess::Running) {
        m_process->waitForReadyRead(200);
        output += m_process->readAllStandardOutput();
        const QRegularExpressionMatch match = listening.match(QString::fromUtf8(output));
        if (match.hasMatch()) {
            m_port = match.captured(1).toInt();
            return;
        }
    }
    QFile errors(m_dir.filePath("stderr.txt"));
    errors.open(QIODevice::ReadOnly);
    m_startError = "no port printed: " + QString::fromUtf8(output + errors.readAll());
}

RingServiceFixture::~RingServiceFixture()
{
    if (m_process->state() != QProcess::NotRunning) {
        m_process->terminate();
        if (!m_process->waitForFinished(5000)) {
            m_process->kill();
            m_process->waitForFinished(5000);
        }
    }
}

std::string RingServiceFixture::HostPort() const
{
    return "127.0.0.1:" + std::to_string(m_port);
}

std::string RingServiceFixture::Url(const std::string& path) const
{
    return "http://" + HostPort() + "/zuvo/" + path;
}

QList<QJsonObject> RingServiceFixture::Log() const
{
    QList<QJsonObject> entries;
    QFile file(m_dir.filePath("requests.jsonl"));
    if (!file.open(QIODevice::ReadOnly))
        return entries;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (!line.isEmpty())
            entries.append(QJsonDocument::fromJson(line).object());
    }
    return entries;
}

QJsonObject RingServiceFixture::LastRequest(const QString& path) const
{
    const QList<QJsonObject> entries = Log();
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        if (it->value("path").toString() == path)
            return *it;
    }
    return QJsonObject();
}

QList<QJsonObject> RingServiceFixture::RequestsTo(const QString& path) const
{
    QList<QJsonObject> requests;
    for (const QJsonObject& entry : Log())
        if (entry.value("path").toString() == path)
            requests << entry;
    return requests;
}

QString RingServiceFixture::SavedPart(const QString& path, const QString& part) const
{
    for (const QJsonValue& saved : LastRequest(path).value("saved").toArray())
        if (QFileInfo(saved.toString()).fileName().startsWith(part + "-"))
            return saved.toString();
    return QString();
}

QByteArray RingServiceFixture::RecordedBody(const QJsonObject& request) const
{
    QFile file(request.value("body_file").toString());
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

QString RingServiceFixture::CodeFor(const QString& mobile) const
{
    const QJsonObject state = Control("state");
    return state.value("codes").toObject().value(mobile).toString();
}

RingServiceFixture::HttpReply RingServiceFixture::Exchange(const QByteArray& request) const
{
    HttpReply reply;
    QTcpSocket socket;
    socket.connectToHost("127.0.0.1", static_cast<quint16>(m_port));
    if (!socket.waitForConnected(5000))
        return reply;
    socket.write(request);
    QByteArray bytes;
    while (socket.state() == QAbstractSocket::ConnectedState && socket.waitForReadyRead(5000))
        bytes += socket.readAll();
    bytes += socket.readAll();
    const qsizetype bodyAt = bytes.indexOf("\r\n\r\n");
    if (!bytes.startsWith("HTTP/1.") || bodyAt < 0)
        return reply;
    reply.status = bytes.mid(9, 3).toInt();
    reply.head = bytes.left(bodyAt);
    reply.body = bytes.mid(bodyAt + 4);
    return reply;
}

RingServiceFixture::HttpReply RingServiceFixture::Get(const QByteArray& pathAndQuery) const
{
    return Exchange("GET " + pathAndQuery + " HTTP/1.1\r\nHost: " +
                    QByteArray::fromStdString(HostPort()) + "\r\nConnection: close\r\n\r\n");
}

QJsonObject RingServiceFixture::Control(const QString& what, const QJsonObject& body) const
{
    const QByteArray json = QJsonDocument(body).toJson(QJsonDocument::Compact);
    const HttpReply reply =
        Exchange("POST /_control/" + what.toUtf8() + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" +
                 "Content-Type: application/json\r\nConnection: close\r\nContent-Length: " +
                 QByteArray::number(json.size()) + "\r\n\r\n" + json);
    if (reply.status != 200)
        return QJsonObject();
    return QJsonDocument::fromJson(reply.body).object();
}

bool RingServiceFixture::Script(const QJsonArray& rules) const
{
    return Control("script", QJsonObject{{"rules", rules}}).value("ok").toBool();
}
