#include "app/shell_core/cp949.h"

#include "service/text_codec.h"

#include <cerrno>
#include <iconv.h>
#include <memory>

namespace orb {

namespace {

struct IconvCloser
{
    void operator()(void* handle) const { iconv_close(static_cast<iconv_t>(handle)); }
};

} // namespace

std::string Cp949ToUtf8(const std::string& text)
{
    const iconv_t handle = iconv_open("UTF-8", "CP949");
    if (handle == reinterpret_cast<iconv_t>(-1))
        return DecodeUtf8Text(text);
    const std::unique_ptr<void, IconvCloser> converter(handle);
    std::string out;
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    char buffer[256];
    while (inLeft > 0) {
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t result = iconv(static_cast<iconv_t>(converter.get()), &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, sizeof buffer - outLeft);
        if (result == static_cast<std::size_t>(-1) && errno != E2BIG) {
            out += "\xEF\xBF\xBD";
            ++in;
            --inLeft;
        }
    }
    return out;
}

} // namespace orb
