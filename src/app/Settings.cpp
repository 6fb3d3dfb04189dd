#include "Settings.h"

#include "AppState.h"
#include "platform/Paths.h"
#include "platform/ProfileFile.h"

#include <QFileInfo>

namespace {
const char *const ColourSections[GCodeColours::Count] = {"CODA", "CODB", "CODC", "CODF", "CODG", "CODI",
                                                          "CODJ", "CODK", "CODM", "CODN", "CODR", "CODS",
                                                          "CODT", "CODX", "CODY", "CODZ", "COD1", "COD2",
                                                          "COD3", "COD4", "COD5", "COD6"};
const QString Valor = QStringLiteral("Valor");
const QString Value = QStringLiteral("VALUE");
const QString Fonte = QStringLiteral("FONTE");
} // namespace

namespace Settings {

const char *colourSection(int index) { return ColourSections[index]; }

void FUNC_LeIni(AppState &state)
{
    const ProfileFile ini(state.mainSettingsPath());
    // A relative file is in the application folder (a folder that was copied or moved).
    state.DatabaseFile = Paths::inApplicationFolder(ini.readString(QStringLiteral("DIRBD"), Value, state.DatabaseFile),
                                                    state.AppDirectory);
    state.LanguageCode = ini.readString(QStringLiteral("LANGUAGE"), Value, state.LanguageCode);
}

void FUNC_LeIni_CNC(AppState &state)
{
    if (!QFileInfo::exists(state.editorSettingsPath()))
        return;
    const ProfileFile ini(state.editorSettingsPath());
    for (int i = 0; i < GCodeColours::Count; ++i)
        state.Colours.values[i] =
            ini.readInteger(QLatin1String(ColourSections[i]), Valor, state.Colours.values[i]);
    state.EditorFontName = ini.readString(Fonte, QStringLiteral("TIPO"), state.EditorFontName);
    state.EditorFontSize = ini.readInteger(Fonte, QStringLiteral("TAMANHO"), state.EditorFontSize);
    // A file cut short (or edited by hand) without a usable font gives the one the
    // program ships with, not an empty name or a size no window allows.
    if (state.EditorFontName.trimmed().isEmpty())
        state.EditorFontName = QLatin1String(BuiltInFontName);
    if (state.EditorFontSize < MinimumFontSize || state.EditorFontSize > MaximumFontSize)
        state.EditorFontSize = BuiltInFontSize;
}

bool writeLanguage(AppState &state, const QString &code, QString *error)
{
    // Taken only once it is in the file: a refused write leaves the language that
    // is shown, so that the next Apply tries again.
    ProfileFile ini(state.mainSettingsPath());
    if (!ini.writeString(QStringLiteral("LANGUAGE"), Value, code, error))
        return false;
    state.LanguageCode = code;
    return true;
}

bool writeDatabaseFile(AppState &state, const QString &path, QString *error)
{
    state.DatabaseFile = path;
    ProfileFile ini(state.mainSettingsPath());
    return ini.writeString(QStringLiteral("DIRBD"), Value, path, error);
}

bool writeColours(AppState &state, const int (&colours)[22], QString *error)
{
    // All new values first, as a refused write leaves them for this run; then
    // one rewrite of the file for the 22 keys.
    QList<ProfileFile::Entry> entries;
    for (int i = 0; i < GCodeColours::Count; ++i) {
        state.Colours.values[i] = colours[i];
        entries.append({QLatin1String(ColourSections[i]), Valor, QString::number(colours[i])});
    }
    return ProfileFile(state.editorSettingsPath()).writeStrings(entries, error);
}

bool writeFont(AppState &state, const QString &name, int size, QString *error)
{
    state.EditorFontName = name;
    state.EditorFontSize = size;
    return ProfileFile(state.editorSettingsPath())
        .writeStrings({{Fonte, QStringLiteral("TIPO"), name}, {Fonte, QStringLiteral("TAMANHO"), QString::number(size)}},
                      error);
}

} // namespace Settings
