#pragma once

#include <cstddef>
#include <string>

namespace httplib {
struct Request;
struct Response;
} // namespace httplib

namespace orb::fake {

// Smaller answers are not worth the client's inflating, as with Google's front ends.
constexpr std::size_t kSmallestCompressedBody = 1024;

// True when an Accept-Encoding value names gzip (or x-gzip) without q=0.
bool AcceptsGzip(const std::string& acceptEncoding);

// The whole of `body` as one gzip member; false when zlib refuses.
bool GzipCompress(const std::string& body, std::string& compressed);

// Sends the answer gzip-compressed, with Content-Encoding: gzip, when the request asks for
// gzip and the body is written at once, not yet encoded and at least kSmallestCompressedBody.
// Runs after httplib has prepared the answer, just before it is written.
void CompressIfAsked(const httplib::Request& request, httplib::Response& response);

} // namespace orb::fake
