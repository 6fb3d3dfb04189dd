#include "AppState.h"

#include "platform/Paths.h"

QString AppState::mainSettingsPath() const
{
    return MainSettingsFile.isEmpty() ? AppDirectory + QStringLiteral("Zavrin.ini") : MainSettingsFile;
}

QString AppState::editorSettingsPath() const { return AppDirectory + QStringLiteral("ZavrinEditCNC.ini"); }

QString AppState::helpDirectoryFor(const QString &languageCode) const
{
    return AppDirectory + QStringLiteral("Help") + Paths::separator() + languageCode + Paths::separator();
}

AppState &app()
{
    static AppState state;
    return state;
}
