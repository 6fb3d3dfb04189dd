#pragma once

#include <QString>

struct AppState;

namespace Startup {
// The creation step of the main window: AppDirectory, both settings files,
// "PTBR" read as "PT-BR" (in memory only), HelpDirectory, the decimal point and
// the editor counters.
void initialiseState(AppState &state, const QString &appDirectory);

// The language procedure for state.LanguageCode (none for an unknown code).
bool runLanguage(const AppState &state);
} // namespace Startup
