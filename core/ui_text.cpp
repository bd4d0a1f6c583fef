#include "core/ui_text.h"

#include <atomic>

namespace orb {

namespace {

std::atomic<TextTranslator> installed{nullptr};

} // namespace

void SetTextTranslator(TextTranslator translator)
{
    installed.store(translator);
}

std::string Translated(const char* source)
{
    const TextTranslator translator = installed.load();
    return translator ? translator(source) : std::string(source);
}

} // namespace orb
