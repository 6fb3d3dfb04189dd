#include "Startup.h"

#include "AppState.h"
#include "Settings.h"
#include "lang/Texts.h"
#include "platform/Paths.h"

namespace Startup {

void initialiseState(AppState &state, const QString &appDirectory)
{
    state.AppDirectory = Paths::withTrailingSeparator(appDirectory);
    Settings::FUNC_LeIni(state);
    Settings::FUNC_LeIni_CNC(state);
    if (state.LanguageCode == QLatin1String("PTBR"))
        state.LanguageCode = QStringLiteral("PT-BR");
    state.HelpDirectory = state.helpDirectoryFor(state.LanguageCode);
    state.ProgramDecimalPoint = QLatin1Char('.');
    state.TabCounter = 0;
    state.NewFileCounter = 0;
    state.NewFileList.clear();
}

bool runLanguage(const AppState &state) { return Texts::runLanguageProcedure(state.LanguageCode); }

} // namespace Startup
