#pragma once

#include <QList>
#include <QString>

// The program view's remembered settings in [PROGRAMVIEW] of Zavrin.ini: the
// rapid rate of the time estimate (RAPID=, one for all programs), and per
// program folder whether I/J/K are absolute and whether X is a diameter, as a
// numbered list FOLDER<n>=path, IJ<n>=abs|inc, DIAMETER<n>=0|1, most recently
// set first and at most FolderLimit long. A file without the section gives the
// defaults: incremental centres, X as a radius, DefaultRapidRate.
class ViewSettings
{
public:
    static constexpr int FolderLimit = 100;
    static constexpr double DefaultRapidRate = 5000;
    static constexpr double MinRapidRate = 1;
    static constexpr double MaxRapidRate = 200000;

    struct Folder
    {
        bool absoluteArcCentres = false;
        bool xIsDiameter = false;
        bool operator==(const Folder &o) const
        {
            return absoluteArcCentres == o.absoluteArcCentres && xIsDiameter == o.xIsDiameter;
        }
    };

    // Reads the section of the file at iniPath (an empty path: nothing is read
    // or written, every value is the default).
    explicit ViewSettings(QString iniPath = QString());

    double rapidRate() const { return m_rapidRate; }
    // The settings of a program folder; a folder never set, or "", has the defaults.
    Folder folder(const QString &folder) const;

    // Keep the new value in memory whatever happens, then write the section;
    // false with the reason in *error when the file cannot be written (or a
    // folder name cannot be kept in it), in which case the value holds for
    // this run only.
    bool setRapidRate(double rate, QString *error);
    bool setFolder(const QString &folder, const Folder &settings, QString *error);

    // The folder of a program file, as the settings name it ("" for a program
    // without a file).
    static QString folderOf(const QString &programPath);

private:
    struct Entry
    {
        QString folder;
        Folder settings;
    };
    int indexOf(const QString &folder) const;
    bool write(QString *error);

    QString m_iniPath;
    double m_rapidRate = DefaultRapidRate;
    QList<Entry> m_folders;   // most recently set first
    int m_writtenFolders = 0; // how many FOLDER<n> keys the file holds
    QList<Entry> m_unsaved;   // this run only: "" and names a line cannot hold
};
