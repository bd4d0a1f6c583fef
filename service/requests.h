#pragma once

#include <string>

namespace orb {

class Diagnostics;
class OAuthSession;

// Small pieces every request of the service clients uses.

// The Authorization line from one reading of the session, then the JSON content type.
std::string JsonRequestHeaders(const OAuthSession& session);

// True for a completed exchange answered with a 2xx status.
bool IsSuccessStatus(int status);

// jsoncpp's messages as one diagnostic line.
void WriteParseErrors(Diagnostics& diagnostics, const std::string& errors);

} // namespace orb
