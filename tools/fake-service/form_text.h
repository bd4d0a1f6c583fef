#pragma once

#include <string>
#include <utility>
#include <vector>

namespace orb::fake {

using FormFields = std::vector<std::pair<std::string, std::string>>;

// Splits a form body on "&" and then on the first "="; "%XX" and "+" are decoded where
// they appear (the program itself sends values without encoding).
FormFields ParseForm(const std::string& body);
// The first value of `name`; false when the field is absent.
bool FindField(const FormFields& fields, const std::string& name, std::string& value);
std::string DecodeFormComponent(const std::string& text);
// Percent-encodes everything but unreserved characters, for addresses we write into pages.
std::string EncodeQueryComponent(const std::string& text);
std::string EscapeHtml(const std::string& text);

} // namespace orb::fake
