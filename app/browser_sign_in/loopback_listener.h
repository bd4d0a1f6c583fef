#pragma once

#include "core/ui_text.h"

#include <QObject>
#include <QTcpServer>

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

class QTcpSocket;

namespace orb {

// Waits on 127.0.0.1 for the browser to come back from the consent page. Only a request
// for "/" carrying the expected state counts; anything else is answered and ignored. The
// first code or refusal ends the wait: the port is closed before the signal is emitted.
// Other local programs can connect too, so a stalled connection is dropped and only a
// few are held at once; the browser's request, being the newest, survives a flood.
class LoopbackListener : public QObject
{
    Q_OBJECT

public:
    static constexpr const char* kSignedInText =
        ORB_TEXT("OrbCalender", "Signed in to OrbCalender — you can close this tab");
    static constexpr const char* kNotAllowedText =
        ORB_TEXT("OrbCalender", "Sign-in to OrbCalender was not allowed — you can close this tab");
    static constexpr const char* kAccessDeniedReason =
        ORB_TEXT("OrbCalender", "You did not allow OrbCalender to use your calendars and tasks.");
    static constexpr const char* kRefusedReasonPrefix =
        ORB_TEXT("OrbCalender", "The sign-in in your browser did not succeed: ");
    // A browser's request head is well under this; a longer one is refused unread.
    static constexpr std::size_t kLongestRequestHead = 8 * 1024;
    // A browser sends its request at once; a connection silent this long is not one.
    static constexpr std::chrono::milliseconds kIdleTimeout = std::chrono::seconds(10);
    // More than a browser opens in parallel, few enough that a flood cannot use up descriptors.
    static constexpr std::size_t kMostConnections = 16;

    explicit LoopbackListener(QObject* parent = nullptr);

    // How long a connection may go without a byte; applies to connections accepted later.
    std::chrono::milliseconds idleTimeout = kIdleTimeout;

    // Listens on a free port; false with the reason when no port could be had.
    bool Listen(const std::string& expectedState, std::string& error);
    quint16 Port() const;
    // "http://127.0.0.1:PORT", the address the consent page redirects to.
    std::string RedirectUri() const;
    // Stops listening and drops connections not yet answered; nothing more is accepted.
    void Close();

signals:
    void codeReceived(std::string code);
    void failed(std::string reason);

private:
    void OnNewConnection();
    void OnReadyRead(QTcpSocket* socket);
    void Drop(QTcpSocket* socket);
    void Forget(QTcpSocket* socket);

    // Oldest first. Declared before the server: its sockets report their end here while
    // the server is destroyed.
    std::vector<QTcpSocket*> connections_;
    QTcpServer server_;
    std::string expectedState_;
};

} // namespace orb
