#include "tests/fake_service/fake_service_test_support.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>

namespace orb::fake::test {

httplib::Client FakeServiceTest::Client() const
{
    httplib::Client client("127.0.0.1", service.Port());
    client.set_connection_timeout(kClientTimeout);
    client.set_read_timeout(kClientTimeout);
    client.set_url_encode(false); // targets go out exactly as the tests write them
    return client;
}

httplib::Client FakeServiceTest::ControlClient() const
{
    httplib::Client client = Client();
    client.set_default_headers({{"X-Orb-Control-Key", service.ControlKey()}});
    return client;
}

httplib::Result FakeServiceTest::PostForm(const std::string& path, const std::string& body) const
{
    httplib::Headers headers{{"Content-type", "application/x-www-form-urlencoded"}};
    return Client().Post(path, headers, body, "application/x-www-form-urlencoded");
}

Json::Value ParseJson(const std::string& text)
{
    Json::CharReaderBuilder builder;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value value;
    std::string errors;
    if (!reader->parse(text.data(), text.data() + text.size(), &value, &errors)) {
        return Json::Value();
    }
    return value;
}

std::string PageTitle(const std::string& html)
{
    auto start = html.find("<title>");
    auto end = html.find("</title>");
    if (start == std::string::npos || end == std::string::npos || end < start) {
        return {};
    }
    start += std::string("<title>").size();
    return html.substr(start, end - start);
}

std::string SendRaw(int port, const std::string& bytes)
{
    int sock = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    inet_pton(AF_INET, "127.0.0.1", &address.sin_addr);
    std::string answer;
    if (connect(sock, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        send(sock, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size())) {
        auto deadline = std::chrono::steady_clock::now() + kClientTimeout;
        char chunk[4096];
        while (std::chrono::steady_clock::now() < deadline) {
            pollfd watched{sock, POLLIN, 0};
            if (poll(&watched, 1, 50) <= 0) {
                continue;
            }
            ssize_t received = recv(sock, chunk, sizeof chunk, 0);
            if (received <= 0) {
                break;
            }
            answer.append(chunk, static_cast<std::size_t>(received));
        }
    }
    close(sock);
    return answer;
}

std::string MakeTemporaryFolder()
{
    std::string pattern = ::testing::TempDir() + "fake-service-XXXXXX";
    char* made = mkdtemp(pattern.data());
    return made ? std::string(made) : std::string();
}

} // namespace orb::fake::test
