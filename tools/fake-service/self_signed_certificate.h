#pragma once

#include "tools/fake-service/fake_service.h"

#include <string>

namespace orb::fake {

// Writes a throw-away certificate for 127.0.0.1 (and localhost), valid for a day, with its
// private key, as PEM files in `directory`; `files` names them. Nobody trusts it unless
// told to, which is what a test of certificate checking needs.
bool WriteSelfSignedCertificate(const std::string& directory, TlsFiles& files, std::string& error);

} // namespace orb::fake
