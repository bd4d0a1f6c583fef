#include "tools/fake-service/compressed_answer.h"

#include <httplib.h>
#include <zlib.h>

#include <cctype>
#include <climits>
#include <memory>
#include <sstream>

namespace orb::fake {

namespace {

// windowBits above 15 asks zlib for a gzip header and trailer instead of a zlib one.
constexpr int kGzipWindowBits = 15 + 16;
constexpr int kMemoryLevel = 8;

struct DeflateEnd
{
    void operator()(z_stream* stream) const { deflateEnd(stream); }
};

std::string Trimmed(const std::string& text)
{
    auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string Lowered(std::string text)
{
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

// "q=0", "q=0.0", "q=0.000": the client refuses that coding.
bool IsRefusal(const std::string& parameter)
{
    std::string value = Lowered(Trimmed(parameter));
    if (value.rfind("q=", 0) != 0) {
        return false;
    }
    value.erase(0, 2);
    return !value.empty() && value[0] == '0' && value.find_first_not_of("0.") == std::string::npos;
}

} // namespace

bool AcceptsGzip(const std::string& acceptEncoding)
{
    std::istringstream list(acceptEncoding);
    std::string item;
    while (std::getline(list, item, ',')) {
        auto semicolon = item.find(';');
        std::string coding = Lowered(Trimmed(item.substr(0, semicolon)));
        if ((coding == "gzip" || coding == "x-gzip") &&
            (semicolon == std::string::npos || !IsRefusal(item.substr(semicolon + 1)))) {
            return true;
        }
    }
    return false;
}

bool GzipCompress(const std::string& body, std::string& compressed)
{
    if (body.size() > UINT_MAX) {
        return false;
    }
    z_stream stream{};
    // The fastest level: the stand-in shares the machine with the program it serves.
    if (deflateInit2(&stream, Z_BEST_SPEED, Z_DEFLATED, kGzipWindowBits, kMemoryLevel, Z_DEFAULT_STRATEGY) != Z_OK) {
        return false;
    }
    std::unique_ptr<z_stream, DeflateEnd> ended(&stream);
    // Called after deflateInit2, the bound includes the gzip header and trailer.
    compressed.resize(deflateBound(&stream, static_cast<uLong>(body.size())));
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(body.data()));
    stream.avail_in = static_cast<uInt>(body.size());
    stream.next_out = reinterpret_cast<Bytef*>(compressed.data());
    stream.avail_out = static_cast<uInt>(compressed.size());
    if (deflate(&stream, Z_FINISH) != Z_STREAM_END) {
        return false;
    }
    compressed.resize(stream.total_out);
    return true;
}

void CompressIfAsked(const httplib::Request& request, httplib::Response& response)
{
    // Streamed answers (the dropped and stalled faults) have no body here. httplib compresses
    // text answers itself (gzip or br) before this runs: those are already encoded.
    if (response.body.size() < kSmallestCompressedBody || response.has_header("Content-Encoding") ||
        !AcceptsGzip(request.get_header_value("Accept-Encoding"))) {
        return;
    }
    std::string compressed;
    if (!GzipCompress(response.body, compressed)) {
        return; // the plain answer is still a right answer
    }
    response.body = std::move(compressed);
    response.headers.erase("Content-Length");
    response.set_header("Content-Length", std::to_string(response.body.size()));
    response.set_header("Content-Encoding", "gzip");
}

} // namespace orb::fake
