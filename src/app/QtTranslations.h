#pragma once

#include <QString>
#include <QStringList>

// Qt's own texts (standard buttons, the file and folder dialogs) in the interface
// language, from Qt's translation files (qtbase_de.qm and so on).
namespace QtTranslations {

// The language of Qt's translation file for an interface language code: "pt_BR"
// for "PT-BR", "es", "fr", "de"; empty for "EN" (Qt's own language) and for
// any other code.
QString qtLanguageFor(const QString &languageCode);
// Where the files are looked for: a "translations" folder in the application
// folder (a deployed copy of Qt), then Qt's own translations folder.
QStringList searchFolders(const QString &appDirectory);
// Replaces the Qt translation in use by the one of `languageCode`. Returns false
// when that language has a file name but no folder holds the file (Qt's texts
// then stay English).
bool install(const QString &languageCode, const QString &appDirectory);

} // namespace QtTranslations
