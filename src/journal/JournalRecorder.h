#pragma once

#include "JournalStore.h"

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>

// Records the transfers of one program (the application, the command line, a service):
// fills in the workstation and the user, writes each entry to the journal, and keeps
// the entries it could not write in memory, in order, writing them with the next entry
// or on a timer once the journal can be written again. A transfer never waits on the
// journal for longer than the store's busy time and never fails because of it.
//
// A failure to write is reported once through the failure report, until a write
// succeeds again (then a later failure is reported again).
class JournalRecorder : public QObject
{
    Q_OBJECT

public:
    using FailureReport = std::function<void(const QString &message)>;

    explicit JournalRecorder(JournalStore::Location location, QObject *parent = nullptr);
    // Tries once more to write what is kept.
    ~JournalRecorder() override;

    // The recorder of this program, or none (transfers are then not recorded).
    static JournalRecorder *current();
    static void setCurrent(JournalRecorder *recorder);

    void setFailureReport(FailureReport report) { m_report = std::move(report); }
    // How often kept entries are tried again (0: only with the next entry).
    void setRetryInterval(int ms);

    // Records an entry: its time (now, when none), workstation and user (when empty)
    // are filled in. True when it and everything kept before it were written now.
    bool record(JournalEntry entry);
    // Writes what is kept; true when nothing is kept any more.
    bool flush();

    const QVector<JournalEntry> &pending() const { return m_pending; }
    bool failing() const { return m_failing; }
    QString lastError() const { return m_lastError; }
    JournalStore &store() { return *m_store; }

    // The journal's entries the filter lets through, with the kept ones (id 0) in place.
    QVector<JournalEntry> entries(const JournalFilter &filter, QString *error);

    // "Could not write the journal" in the operator's language, with the reason.
    QString failureMessage(const QString &reason) const;

    static QString workstationName();
    static QString userName();

signals:
    // An entry was recorded (written or kept): a journal window refreshes.
    void recorded(const JournalEntry &entry);

private:
    std::unique_ptr<JournalStore> m_store;
    QVector<JournalEntry> m_pending;
    FailureReport m_report;
    QTimer m_retry;
    bool m_failing = false;
    bool m_retryOff = false;
    JournalEntry m_lastWritten;
    QString m_lastError;
};
