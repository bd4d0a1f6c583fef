#include "tools/fake-service/form_text.h"

#include <cctype>

namespace orb::fake {

namespace {

int HexValue(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

} // namespace

std::string DecodeFormComponent(const std::string& text)
{
    std::string decoded;
    decoded.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '+') {
            decoded += ' ';
        } else if (c == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
            decoded += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else {
            decoded += c; // a lone "%" stays as it is
        }
    }
    return decoded;
}

FormFields ParseForm(const std::string& body)
{
    FormFields fields;
    std::size_t start = 0;
    while (start <= body.size()) {
        auto end = body.find('&', start);
        if (end == std::string::npos) {
            end = body.size();
        }
        std::string pair = body.substr(start, end - start);
        if (!pair.empty()) {
            auto equals = pair.find('=');
            std::string name = pair.substr(0, equals);
            std::string value = equals == std::string::npos ? std::string() : pair.substr(equals + 1);
            fields.emplace_back(DecodeFormComponent(name), DecodeFormComponent(value));
        }
        start = end + 1;
    }
    return fields;
}

bool FindField(const FormFields& fields, const std::string& name, std::string& value)
{
    for (const auto& [key, text] : fields) {
        if (key == name) {
            value = text;
            return true;
        }
    }
    return false;
}

std::string EncodeQueryComponent(const std::string& text)
{
    static const char* hex = "0123456789ABCDEF";
    std::string encoded;
    for (unsigned char c : text) {
        if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~') {
            encoded += static_cast<char>(c);
        } else {
            encoded += '%';
            encoded += hex[c >> 4];
            encoded += hex[c & 0x0F];
        }
    }
    return encoded;
}

std::string EscapeHtml(const std::string& text)
{
    std::string escaped;
    for (char c : text) {
        switch (c) {
        case '&':
            escaped += "&amp;";
            break;
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        case '"':
            escaped += "&quot;";
            break;
        case '\'':
            escaped += "&#39;";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

} // namespace orb::fake
