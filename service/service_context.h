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
    std::string startPage; // opened after the first load; empty opens nothing
    std::string authUri;   // where the browser asks for consent
    std::string tokenUri;  // where codes and refresh tokens become access tokens
    // Listings ask for the largest pages the services give. Off only to measure the cost of
    // the services' small default pages; never read from the settings.
    bool fullPages = true;

    static ServiceConfig Defaults();
    // Another accounts service: the consent and token addresses follow it.
    void SetAccountsBase(const std::string& base);
    bool UsesLoginPage() const;
};

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
