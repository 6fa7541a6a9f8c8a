#include "studio/window/dialogs.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace ludomat {

bool installToolkitTranslations()
{
    static bool tried = false;
    static bool loaded = false;
    if (tried || !QCoreApplication::instance()) return loaded;
    tried = true;
    auto* translator = new QTranslator(QCoreApplication::instance());
    loaded = translator->load("qtbase_pt_BR", QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    if (loaded) QCoreApplication::installTranslator(translator);
    else delete translator;
    return loaded;
}

}  // namespace ludomat
