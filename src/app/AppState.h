#pragma once

#include <QChar>
#include <QString>
#include <QStringList>
#include <array>

// The application-wide values that every window reads. One instance for the run.
struct GCodeColours
{
    // Windows colour values (red in bits 0-7, green 8-15, blue 16-23), in the order
    // of the colour sections: A B C F G I J K M N R S T X Y Z, then % # <> () {} [].
    static constexpr int Count = 22;
    std::array<int, Count> values{};
};

struct AppState
{
    QString AppDirectory;
    QString DatabaseFile;
    QString LanguageCode;
    QString HelpDirectory;
    QChar ProgramDecimalPoint = QLatin1Char('.');

    QString SelectedMachineId;
    QString SelectedMachineNumber;
    QString SelectedMachineDescription;
    QString SelectedTransferType;
    QString SelectedPictureId;
    QString SelectedProgramDirectory;
    QString EditMachineId;

    GCodeColours Colours;
    QString EditorFontName;
    int EditorFontSize = 0;

    int TabCounter = 0;
    int NewFileCounter = 0;
    QStringList NewFileList;

    // The stop request of every long loop (tools, FTP, serial send). True outside runs.
    bool CancelRequested = true;

    // A main settings file other than AppDirectory + "Zavrin.ini" (the service's --ini); empty
    // for the application.
    QString MainSettingsFile;

    // Zavrin.ini and ZavrinEditCNC.ini beside the executable.
    QString mainSettingsPath() const;
    QString editorSettingsPath() const;
    // AppDirectory + "Help" + separator + LanguageCode + separator.
    QString helpDirectoryFor(const QString &languageCode) const;
};

// The one instance (created on first use, lives for the process).
AppState &app();
