#pragma once

#include <QObject>
#include <QTcpServer>

#include <cstddef>
#include <string>

class QTcpSocket;

namespace orb {

// Waits on 127.0.0.1 for the browser to come back from the consent page. Only a request
// for "/" carrying the expected state counts; anything else is answered and ignored. The
// first code or refusal ends the wait: the port is closed before the signal is emitted.
class LoopbackListener : public QObject
{
    Q_OBJECT

public:
    static constexpr const char* kSignedInText = "Signed in to OrbCalender — you can close this tab";
    static constexpr const char* kNotAllowedText = "Sign-in to OrbCalender was not allowed — you can close this tab";
    static constexpr const char* kAccessDeniedReason = "You did not allow OrbCalender to use your calendars and tasks.";
    static constexpr const char* kRefusedReasonPrefix = "The sign-in in your browser did not succeed: ";
    // A browser's request head is well under this; a longer one is refused unread.
    static constexpr std::size_t kLongestRequestHead = 8 * 1024;

    explicit LoopbackListener(QObject* parent = nullptr);

    // Listens on a free port; false with the reason when no port could be had.
    bool Listen(const std::string& expectedState, std::string& error);
    quint16 Port() const;
    // "http://127.0.0.1:PORT", the address the consent page redirects to.
    std::string RedirectUri() const;
    // Stops listening and drops connections not yet answered.
    void Close();

signals:
    void codeReceived(std::string code);
    void failed(std::string reason);

private:
    void OnNewConnection();
    void OnReadyRead(QTcpSocket* socket);

    QTcpServer server_;
    std::string expectedState_;
};

} // namespace orb
