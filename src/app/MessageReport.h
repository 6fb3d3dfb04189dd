#pragma once

#include <QString>
#include <QStringList>

// How the areas below the main window (transfers, the journal) put an entry into the
// messages panel without knowing the main window: it installs the one implementation.
class MessageReport
{
public:
    enum class Tone { Normal, Alarm }; // Alarm: shown in red
    virtual ~MessageReport() = default;
    virtual void report(const QString &fileName, const QString &title, const QStringList &details, Tone tone) = 0;
};

// The installed report, or none (nothing is shown then: a test, the command line).
MessageReport *messageReport();
void setMessageReport(MessageReport *report);
