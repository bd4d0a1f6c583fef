#include "dialogs/line_breaks.h"

namespace orb {

std::string ToEditorLineBreaks(std::string_view stored)
{
    std::string shown;
    shown.reserve(stored.size());
    for (std::size_t i = 0; i < stored.size(); ++i) {
        // A break that already has its carriage return keeps just the one.
        if (stored[i] == '\n' && (i == 0 || stored[i - 1] != '\r'))
            shown += '\r';
        shown += stored[i];
    }
    return shown;
}

std::string ToStoredLineBreaks(std::string_view shown)
{
    std::string stored;
    stored.reserve(shown.size());
    for (std::size_t i = 0; i < shown.size(); ++i) {
        if (shown[i] == '\r' && i + 1 < shown.size() && shown[i + 1] == '\n')
            continue;
        stored += shown[i];
    }
    return stored;
}

} // namespace orb
