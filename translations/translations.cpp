#include "translations/translations.h"

#include "core/ui_text.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace orb {

namespace {

constexpr const char* kOrbLangVariable = "ORB_LANG";
constexpr const char* kCatalogueFolder = ":/i18n";
constexpr const char* kEnglishCatalogue = "orbcalender_en";
constexpr const char* kKoreanCatalogue = "orbcalender_ko";
// Qt's own catalogue: the Yes, No and Cancel of its standard buttons.
constexpr const char* kQtCatalogue = "qtbase_ko";

std::string TranslateThroughQt(const char* source)
{
    return QCoreApplication::translate(kTextContext, source).toStdString();
}

void Install(const QString& name, const QString& folder)
{
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(name, folder))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}

} // namespace

Catalogue CatalogueForThisProcess()
{
    std::vector<std::string> languages;
    for (const QString& language : QLocale::system().uiLanguages())
        languages.push_back(language.toStdString());
    return ChooseCatalogue(qEnvironmentVariable(kOrbLangVariable).toStdString(), languages);
}

Catalogue InstallTranslations()
{
    const Catalogue chosen = CatalogueForThisProcess();
    if (chosen == Catalogue::Korean) {
        Install(QString::fromLatin1(kQtCatalogue), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
        Install(QString::fromLatin1(kKoreanCatalogue), QString::fromLatin1(kCatalogueFolder));
    } else if (chosen == Catalogue::English) {
        Install(QString::fromLatin1(kEnglishCatalogue), QString::fromLatin1(kCatalogueFolder));
    }
    SetTextTranslator(&TranslateThroughQt);
    return chosen;
}

} // namespace orb
