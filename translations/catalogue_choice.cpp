#include "translations/catalogue_choice.h"

namespace orb {

namespace {

constexpr const char* kSourceChoice = "source";

bool IsLanguage(const std::string& tag, const std::string& language)
{
    if (tag.compare(0, language.size(), language) != 0)
        return false;
    return tag.size() == language.size() || tag[language.size()] == '-' || tag[language.size()] == '_' ||
           tag[language.size()] == '.';
}

} // namespace

Catalogue ChooseCatalogue(const std::string& orbLang, const std::vector<std::string>& uiLanguages)
{
    if (orbLang == kSourceChoice)
        return Catalogue::Source;
    // The first language the program speaks wins, as LANGUAGE=fr:ko asks; anyone else reads English.
    for (const std::string& tag : uiLanguages) {
        if (IsLanguage(tag, "ko"))
            return Catalogue::Korean;
        if (IsLanguage(tag, "en"))
            return Catalogue::English;
    }
    return Catalogue::English;
}

} // namespace orb
