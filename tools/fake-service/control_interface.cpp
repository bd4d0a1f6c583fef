#include "tools/fake-service/control_interface.h"

#include "tools/fake-service/fake_service.h"
#include "tools/fake-service/json_body.h"

#include <httplib.h>
#include <json/json.h>

#include <openssl/crypto.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <string_view>

namespace orb::fake {

namespace {

constexpr const char* kTextContentType = "text/plain; charset=UTF-8";
constexpr int kLowestFaultStatus = 200;
constexpr int kHighestFaultStatus = 599;
constexpr const char* kControlKeyHeader = "X-Orb-Control-Key";
constexpr int kDefaultHttpPort = 80;
constexpr int kDefaultHttpsPort = 443;
constexpr std::string_view kOtherDevicePrefix = "/__control/other-device";
constexpr const char* kOtherDevicePattern = R"(/__control/other-device/.*)";

void Refuse(httplib::Response& response, const std::string& why)
{
    response.status = 400;
    response.set_content(why + "\n", kTextContentType);
}

void Forbid(httplib::Response& response, const std::string& why)
{
    response.status = 403;
    response.set_content(why + "\n", kTextContentType);
}

std::string LowerCase(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The Host values that name this service: a rebound host name names something else.
bool IsOwnHost(const FakeService& service, const std::string& host)
{
    const std::string port = std::to_string(service.Port());
    const bool defaultPort =
        service.Port() == (service.BaseUrl().rfind("https:", 0) == 0 ? kDefaultHttpsPort : kDefaultHttpPort);
    const std::string name = LowerCase(host);
    for (const char* own : {"127.0.0.1", "localhost"}) {
        if (name == own + (":" + port) || (defaultPort && name == own)) {
            return true;
        }
    }
    return false;
}

// Compared in constant time, so the answer's timing tells nothing of the key.
bool IsControlKey(const FakeService& service, const std::string& offered)
{
    const std::string& key = service.ControlKey();
    return offered.size() == key.size() && CRYPTO_memcmp(offered.data(), key.data(), key.size()) == 0;
}

void Done(httplib::Response& response)
{
    Json::Value document;
    document["ok"] = true;
    FakeService::SendJson(response, 200, document);
}

// A whole decimal number of at least `lowest`, nothing around it.
bool ReadNumber(const std::string& text, long long lowest, long long& number)
{
    const char* end = text.data() + text.size();
    auto [stop, status] = std::from_chars(text.data(), end, number);
    return status == std::errc() && stop == end && !text.empty() && number >= lowest;
}

bool ReadMember(const Json::Value& object, const char* name, long long lowest, long long& number)
{
    if (!object.isMember(name)) {
        return true; // keeps the default
    }
    const Json::Value& member = object[name];
    if (!member.isIntegral() || member.asLargestInt() < lowest) {
        return false;
    }
    number = member.asLargestInt();
    return true;
}

bool ReadFaultKind(const std::string& name, FaultKind& kind)
{
    static const std::pair<const char*, FaultKind> kinds[] = {
        {"status", FaultKind::Status},
        {"malformed", FaultKind::MalformedBody},
        {"drop", FaultKind::Drop},
        {"stall", FaultKind::Stall},
        {"trickle", FaultKind::Trickle},
        {"huge", FaultKind::HugeBody},
        {"bad-utf8", FaultKind::BadUtf8},
        {"deep", FaultKind::DeepNesting},
        {"endless-pages", FaultKind::EndlessPages},
    };
    for (const auto& [text, value] : kinds) {
        if (name == text) {
            kind = value;
            return true;
        }
    }
    return false;
}

Json::Value RequestsDocument(const std::vector<RecordedRequest>& requests)
{
    Json::Value list(Json::arrayValue);
    for (const auto& request : requests) {
        Json::Value item;
        item["method"] = request.method;
        item["target"] = request.target;
        Json::Value headers(Json::arrayValue);
        for (const auto& [name, value] : request.headers) {
            Json::Value pair(Json::arrayValue);
            pair.append(name);
            pair.append(value);
            headers.append(pair);
        }
        item["headers"] = headers;
        item["body"] = request.body;
        item["head"] = request.head;
        list.append(item);
    }
    return list;
}

void HandleFail(FakeService& service, const httplib::Request& request, httplib::Response& response)
{
    Json::CharReaderBuilder builder;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value root;
    std::string errors;
    if (!reader->parse(request.body.data(), request.body.data() + request.body.size(), &root, &errors) ||
        !root.isObject()) {
        Refuse(response, "fail needs a JSON object: {\"count\":N,\"kind\":\"status|malformed|drop|stall\","
                         "\"status\":S,\"stallMs\":N,\"path\":\"...\"}");
        return;
    }
    Fault fault;
    long long count = 1;
    long long status = fault.status;
    long long stallMs = fault.stall.count();
    if (!ReadMember(root, "count", 1, count)) {
        Refuse(response, "count must be a whole number of at least 1");
        return;
    }
    if (!ReadMember(root, "status", kLowestFaultStatus, status) || status > kHighestFaultStatus) {
        Refuse(response, "status must be a whole number from 200 to 599");
        return;
    }
    if (!ReadMember(root, "stallMs", 0, stallMs)) {
        Refuse(response, "stallMs must be a whole number of at least 0");
        return;
    }
    std::string kind = root.get("kind", "status").isString() ? root.get("kind", "status").asString() : "";
    if (!ReadFaultKind(kind, fault.kind)) {
        Refuse(response, "kind must be one of status, malformed, drop, stall");
        return;
    }
    const Json::Value path = root.get("path", "");
    if (!path.isString()) {
        Refuse(response, "path must be a text");
        return;
    }
    fault.pathContains = path.asString();
    fault.status = static_cast<int>(status);
    fault.stall = std::chrono::milliseconds(stallMs);
    service.FailNext(static_cast<int>(std::min<long long>(count, std::numeric_limits<int>::max())), fault);
    Done(response);
}

// The API request that follows the prefix, answered as the API answers it.
void AnswerForAnotherDevice(FakeService& service, const httplib::Request& request, httplib::Response& response)
{
    const std::string target = request.target.substr(kOtherDevicePrefix.size());
    const DeviceAnswer answer = service.FromAnotherDevice(request.method, target, request.body);
    if (answer.status == 0) {
        response.status = 404;
        response.set_content("no API route takes " + request.method + " " + target + "\n", kTextContentType);
        return;
    }
    response.status = answer.status;
    if (!answer.body.empty()) {
        response.set_content(answer.body, "application/json; charset=UTF-8");
    }
}

} // namespace

bool AdmitControlRequest(const FakeService& service, const httplib::Request& request, httplib::Response& response)
{
    if (request.has_header("Origin")) {
        Forbid(response, "control requests from a web page (with an Origin header) are refused");
        return false;
    }
    if (request.get_header_value_count("Host") != 1 || !IsOwnHost(service, request.get_header_value("Host"))) {
        Forbid(response, "control requests must name the service itself as Host (127.0.0.1:" +
                             std::to_string(service.Port()) + " or localhost:" + std::to_string(service.Port()) + ")");
        return false;
    }
    if (request.get_header_value_count(kControlKeyHeader) != 1 ||
        !IsControlKey(service, request.get_header_value(kControlKeyHeader))) {
        Forbid(response, std::string("control requests need the control key the service printed at start, in the ") +
                             kControlKeyHeader + " header");
        return false;
    }
    return true;
}

void RegisterControlRoutes(httplib::Server& server, FakeService& service)
{
    server.Post("/__control/seed", [&service](const httplib::Request& request, httplib::Response& response) {
        std::string error;
        if (!service.SeedFromJson(request.body, error)) {
            Refuse(response, error);
            return;
        }
        Done(response);
    });
    server.Post("/__control/reset", [&service](const httplib::Request&, httplib::Response& response) {
        service.Reset();
        Done(response);
    });
    server.Get("/__control/requests", [&service](const httplib::Request&, httplib::Response& response) {
        FakeService::SendJson(response, 200, RequestsDocument(service.Requests()));
    });
    server.Delete("/__control/requests", [&service](const httplib::Request&, httplib::Response& response) {
        service.ClearRequests();
        Done(response);
    });
    server.Post("/__control/latency", [&service](const httplib::Request& request, httplib::Response& response) {
        long long ms = 0;
        if (!ReadNumber(request.get_param_value("ms"), 0, ms)) {
            Refuse(response, "latency needs ms=N with N a whole number of at least 0");
            return;
        }
        if (!request.has_param("path")) {
            service.SetLatency(std::chrono::milliseconds(ms));
        } else if (std::string path = request.get_param_value("path"); !path.empty()) {
            service.SetPathLatency(path, std::chrono::milliseconds(ms));
        } else {
            Refuse(response, "path, when given, must not be empty");
            return;
        }
        Done(response);
    });
    server.Get("/__control/traffic", [&service](const httplib::Request&, httplib::Response& response) {
        Json::Value document;
        document["connections"] = service.ConnectionCount();
        document["inFlight"] = service.InFlightCount();
        document["peakInFlight"] = service.PeakInFlight();
        FakeService::SendJson(response, 200, document);
    });
    server.Post("/__control/traffic/reset", [&service](const httplib::Request&, httplib::Response& response) {
        service.ResetTrafficCounters();
        Done(response);
    });
    server.Post("/__control/fail", [&service](const httplib::Request& request, httplib::Response& response) {
        HandleFail(service, request, response);
    });
    server.Post("/__control/page-size", [&service](const httplib::Request& request, httplib::Response& response) {
        long long size = 0;
        if (!ReadNumber(request.get_param_value("size"), 1, size) || size > std::numeric_limits<int>::max()) {
            Refuse(response, "page-size needs size=N with N a whole number of at least 1");
            return;
        }
        service.SetPageSize(static_cast<int>(size));
        Done(response);
    });
    server.Post("/__control/revoke-tokens", [&service](const httplib::Request& request, httplib::Response& response) {
        service.RevokeAccessTokens();
        if (request.get_param_value("refresh") == "true") {
            service.RevokeRefreshTokens();
        }
        Done(response);
    });
    server.Post("/__control/token-lifetime", [&service](const httplib::Request& request, httplib::Response& response) {
        Json::Value root;
        long long seconds = -1;
        if (!ReadJsonObjectBody(request.body, root) || !root.isMember("seconds") ||
            !ReadMember(root, "seconds", 0, seconds) || seconds > kLongestTokenLifetime.count()) {
            Refuse(response, "token-lifetime needs {\"seconds\": N} with N a whole number of at least 0");
            return;
        }
        service.SetTokenLifetime(std::chrono::seconds(seconds));
        Done(response);
    });
    server.Post("/__control/expire-sync-tokens", [&service](const httplib::Request&, httplib::Response& response) {
        service.ExpireSyncTokens();
        Done(response);
    });
    const auto otherDevice = [&service](const httplib::Request& request, httplib::Response& response) {
        AnswerForAnotherDevice(service, request, response);
    };
    server.Get(kOtherDevicePattern, otherDevice);
    server.Post(kOtherDevicePattern, otherDevice);
    server.Put(kOtherDevicePattern, otherDevice);
    server.Patch(kOtherDevicePattern, otherDevice);
    server.Delete(kOtherDevicePattern, otherDevice);
    server.Post("/__control/strict", [&service](const httplib::Request& request, httplib::Response& response) {
        Json::Value root;
        if (!ReadJsonObjectBody(request.body, root) || !root.get("on", Json::Value()).isBool()) {
            Refuse(response, "strict needs {\"on\": true} or {\"on\": false}");
            return;
        }
        service.SetStrict(root["on"].asBool());
        Done(response);
    });
}

} // namespace orb::fake
