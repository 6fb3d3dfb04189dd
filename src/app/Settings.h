#pragma once

#include <QString>

struct AppState;

// Reading and writing of the two settings files. The writers set the value in
// AppState first and then write it (the language only after its write); on a
// refused write they return false with "Unable to write to <file>" in *error.
namespace Settings {

// The editor font the program ships with, used when an editor settings file holds
// no usable font; and the sizes the font window allows.
constexpr const char *BuiltInFontName = "DejaVu Sans Mono";
constexpr int BuiltInFontSize = 11;
constexpr int MinimumFontSize = 8;
constexpr int MaximumFontSize = 1000;

// Section names of the 22 colours in their file order.
const char *colourSection(int index);

void FUNC_LeIni(AppState &state);
void FUNC_LeIni_CNC(AppState &state);

bool writeLanguage(AppState &state, const QString &code, QString *error);
bool writeDatabaseFile(AppState &state, const QString &path, QString *error);
bool writeColours(AppState &state, const int (&colours)[22], QString *error);
bool writeFont(AppState &state, const QString &name, int size, QString *error);

} // namespace Settings
