#pragma once

#include <string>

namespace orb {

class Clock;
class Diagnostics;
class HttpTransport;
class OAuthSession;
class Prompter;

// Where the services live and who this program is to them. Read from the optional
// [Service] section of the settings file; missing keys keep these defaults.
struct ServiceConfig
{
    std::string accountsBase;
    std::string apiBase;
    std::string clientId;
    std::string clientSecret;
    // Empty, or an http://127.0.0.1 or http://localhost address: sign-in in the user's
    // browser. An out-of-band "urn:ietf:wg:oauth:2.0:oob" one: the embedded login page.
    std::string redirectUri;
    std::string startPage;      // opened after the first load; empty opens nothing
    std::string authUri;        // where the browser asks for consent
    std::string tokenUri;       // where codes and refresh tokens become access tokens
    std::string revokeUri = {}; // where Logout withdraws the refresh token; empty withdraws nothing
    // Listings ask for the largest pages the services give. Off only to measure the cost of
    // the services' small default pages; never read from the settings.
    bool fullPages = true;
    // Listings ask only for the members the program reads. Off only to compare with whole
    // answers; never read from the settings.
    bool partialAnswers = true;
    // [Service] CaFile: PEM certificates trusted beside the system's (a company's
    // TLS-inspecting proxy); empty without one.
    std::string caFile = {};
    std::string caCertificates = {};

    static ServiceConfig Defaults();
    // Another accounts service: the consent and token addresses follow it.
    void SetAccountsBase(const std::string& base);
    bool UsesLoginPage() const;
};

// Where codes, tokens and secrets may be sent: an absolute https address, or plain http to
// this machine only (127.0.0.1, [::1], localhost).
bool IsServiceAddress(const std::string& url);
// A redirect the sign-in can use: none (a loopback one is chosen), the older out-of-band
// one, or plain http to this machine.
bool IsRedirectAddress(const std::string& url);

// Everything a service operation needs from outside: the wire, the token state, where
// failures go, and the time. Clients never touch a widget.
struct ServiceContext
{
    HttpTransport& transport;
    OAuthSession& session;
    Diagnostics& diagnostics;
    Prompter& prompter;
    const Clock& clock;
    const ServiceConfig& config;
};

} // namespace orb
