#pragma once

#include <string>
#include <vector>

namespace orb {

// Which catalogue the windows speak. Source keeps the design's own texts, Korean and English
// side by side, as the tests and the design read them.
enum class Catalogue
{
    Source,
    English,
    Korean,
};

// `orbLang` is ORB_LANG ("source" keeps the design's texts); `uiLanguages` are the user's
// languages, most wanted first, as the locale gives them ("ko-KR", "en_US", "C").
Catalogue ChooseCatalogue(const std::string& orbLang, const std::vector<std::string>& uiLanguages);

} // namespace orb
