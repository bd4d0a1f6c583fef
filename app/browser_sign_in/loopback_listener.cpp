#include "app/browser_sign_in/loopback_listener.h"

#include "translations/qt_text.h"

#include <QHostAddress>
#include <QTcpSocket>
#include <QTimer>

#include <map>

namespace orb {

namespace {

struct Reply
{
    int status;
    const char* phrase;
    const char* text;
};

constexpr Reply kSignedIn{200, "OK", LoopbackListener::kSignedInText};
constexpr Reply kNotAllowed{200, "OK", LoopbackListener::kNotAllowedText};
constexpr Reply kWrongState{
    400, "Bad Request",
    ORB_TEXT("OrbCalender", "This page does not belong to the sign-in OrbCalender is waiting for.")};
constexpr Reply kNotFound{404, "Not Found", "Not found."};
constexpr Reply kNotGet{405, "Method Not Allowed", "Only GET requests are answered here."};
constexpr Reply kHeadTooLarge{431, "Request Header Fields Too Large", "The request was too large."};

constexpr const char* kNoState = "the sign-in has no state to wait for";
constexpr const char* kAccessDenied = "access_denied";

// Names to values, percent-decoded; '+' is a space as in any form. The first of a
// repeated name counts.
std::map<std::string, std::string> ParseQuery(const QByteArray& query)
{
    const auto decode = [](QByteArray part) { return QByteArray::fromPercentEncoding(part.replace('+', ' ')); };
    std::map<std::string, std::string> values;
    for (const QByteArray& pair : query.split('&')) {
        const qsizetype equals = pair.indexOf('=');
        const QByteArray name = equals < 0 ? pair : pair.left(equals);
        const QByteArray value = equals < 0 ? QByteArray() : pair.mid(equals + 1);
        values.try_emplace(decode(name).toStdString(), decode(value).toStdString());
    }
    return values;
}

std::string Value(const std::map<std::string, std::string>& values, const char* name)
{
    const auto found = values.find(name);
    return found == values.end() ? std::string() : found->second;
}

void Answer(QTcpSocket* socket, const Reply& reply)
{
    const QByteArray body = "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>OrbCalender</title></head>"
                            "<body><p>" +
                            UiText(reply.text).toHtmlEscaped().toUtf8() + "</p></body></html>";
    const QByteArray response =
        "HTTP/1.1 " + QByteArray::number(reply.status) + " " + reply.phrase +
        "\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: " + QByteArray::number(body.size()) +
        "\r\nCache-Control: no-store\r\nConnection: close\r\n\r\n" + body;
    socket->write(response);
    // Into the system's buffer now: the caller may close everything before the loop runs.
    socket->flush();
    socket->disconnectFromHost();
}

} // namespace

LoopbackListener::LoopbackListener(QObject* parent) : QObject(parent)
{
    connect(&server_, &QTcpServer::newConnection, this, &LoopbackListener::OnNewConnection);
}

bool LoopbackListener::Listen(const std::string& expectedState, std::string& error)
{
    Close();
    // Without a state any page could pass for the browser's answer.
    if (expectedState.empty()) {
        error = kNoState;
        return false;
    }
    expectedState_ = expectedState;
    if (!server_.listen(QHostAddress::LocalHost, 0)) {
        error = server_.errorString().toStdString();
        return false;
    }
    return true;
}

quint16 LoopbackListener::Port() const
{
    return server_.serverPort();
}

std::string LoopbackListener::RedirectUri() const
{
    return "http://127.0.0.1:" + std::to_string(Port());
}

void LoopbackListener::Close()
{
    server_.close();
    // Answered connections are already closing and keep their page; the rest go now.
    for (QTcpSocket* socket : std::vector(connections_)) {
        if (socket->state() == QAbstractSocket::ConnectedState)
            Drop(socket);
    }
}

void LoopbackListener::OnNewConnection()
{
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
        if (connections_.size() >= kMostConnections)
            Drop(connections_.front());
        connections_.push_back(socket);
        socket->setReadBufferSize(static_cast<qint64>(kLongestRequestHead) + 1);
        auto* idle = new QTimer(socket);
        idle->setSingleShot(true);
        connect(idle, &QTimer::timeout, this, [this, socket] { Drop(socket); });
        idle->start(idleTimeout);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket, idle] {
            idle->start();
            OnReadyRead(socket);
        });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] { Forget(socket); });
    }
}

void LoopbackListener::Drop(QTcpSocket* socket)
{
    Forget(socket);
    socket->abort();
}

void LoopbackListener::Forget(QTcpSocket* socket)
{
    std::erase(connections_, socket);
    socket->deleteLater();
}

void LoopbackListener::OnReadyRead(QTcpSocket* socket)
{
    if (socket->state() != QAbstractSocket::ConnectedState)
        return;
    const QByteArray head = socket->peek(static_cast<qint64>(kLongestRequestHead) + 1);
    const qsizetype end = head.indexOf("\r\n\r\n");
    if (end < 0) {
        if (head.size() > static_cast<qsizetype>(kLongestRequestHead))
            Answer(socket, kHeadTooLarge);
        return;
    }
    const QList<QByteArray> requestLine = head.left(head.indexOf("\r\n")).split(' ');
    if (requestLine.size() != 3 || !requestLine[2].startsWith("HTTP/"))
        return Answer(socket, kWrongState);
    if (requestLine[0] != "GET")
        return Answer(socket, kNotGet);
    const QByteArray& target = requestLine[1];
    const qsizetype question = target.indexOf('?');
    if (target.left(question) != "/")
        return Answer(socket, kNotFound);

    const auto query = ParseQuery(question < 0 ? QByteArray() : target.mid(question + 1));
    if (Value(query, "state") != expectedState_)
        return Answer(socket, kWrongState);
    const std::string error = Value(query, "error");
    const std::string code = Value(query, "code");
    if (!error.empty()) {
        Answer(socket, kNotAllowed);
        Close();
        emit failed(error == kAccessDenied ? Translated(kAccessDeniedReason)
                                           : Translated(kRefusedReasonPrefix) + error + ".");
    } else if (!code.empty()) {
        Answer(socket, kSignedIn);
        Close();
        emit codeReceived(code);
    } else {
        Answer(socket, kWrongState);
    }
}

} // namespace orb
