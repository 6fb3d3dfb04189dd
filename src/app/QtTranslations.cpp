#include "QtTranslations.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

namespace QtTranslations {

QString qtLanguageFor(const QString &languageCode)
{
    if (languageCode == QLatin1String("PT-BR"))
        return QStringLiteral("pt_BR");
    if (languageCode == QLatin1String("ES"))
        return QStringLiteral("es");
    if (languageCode == QLatin1String("FR"))
        return QStringLiteral("fr");
    if (languageCode == QLatin1String("DE"))
        return QStringLiteral("de");
    return QString();
}

QStringList searchFolders(const QString &appDirectory)
{
    QStringList folders;
    if (!appDirectory.isEmpty())
        folders << QDir(appDirectory).filePath(QStringLiteral("translations"));
    folders << QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    return folders;
}

bool install(const QString &languageCode, const QString &appDirectory)
{
    static QPointer<QTranslator> current;
    if (current) {
        QCoreApplication::removeTranslator(current);
        delete current.data();
    }
    const QString language = qtLanguageFor(languageCode);
    if (language.isEmpty())
        return true;
    auto *translator = new QTranslator(QCoreApplication::instance());
    for (const QString &folder : searchFolders(appDirectory)) {
        if (translator->load(QStringLiteral("qtbase_") + language, folder)) {
            QCoreApplication::installTranslator(translator);
            current = translator;
            return true;
        }
    }
    delete translator;
    return false;
}

} // namespace QtTranslations
