#pragma once

#include "MachineListener.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

// Automatic receive and remote request for every serial machine that has them on: one
// MachineListener per machine, made from the machine database (the open connection of
// TDataModule1) and the machines' options in the settings file.
class DncService : public QObject
{
    Q_OBJECT

public:
    // How long a stop lets a program in progress end before it is cut.
    static constexpr int StopGrace = 5000; // ms

    explicit DncService(const QString &iniPath, QObject *parent = nullptr);
    ~DncService() override;

    // The machines with automatic receive on, as the database and the settings file have them
    // now. Throws Error when the database cannot be read.
    static QList<MachineListener::Config> readMachines(const QString &iniPath);

    // Reads the machines again: a new machine gets a listener, a machine that is gone or has
    // its automatic receive off loses it, a changed one is restarted once its transfer in
    // progress is over; the others keep listening untouched. Throws Error when the database
    // cannot be read (the listeners then stay as they are). Returns the number of machines.
    int reload();
    // Starts listening on given machines (what reload() does after reading them).
    void apply(const QList<MachineListener::Config> &configs);

    // Stops every listener (see MachineListener::stop); stopped() once all have closed.
    void stop(int graceMs = StopGrace);
    bool isStopped() const;

    QList<MachineListener *> listeners() const;
    MachineListener *listenerFor(const QString &machineId) const;

    // Passed to every listener.
    std::function<void(const JournalEntry &)> journal;

signals:
    void message(MachineListener::Severity severity, const QString &text, const QString &subject);
    void stored(const QString &path);
    void stopped();

private:
    MachineListener *add(const MachineListener::Config &config);
    void onListenerStopped(MachineListener *listener);

    QString m_iniPath;
    QList<MachineListener *> m_listeners;
    // Changed machines wait here until their old listener has stopped.
    QList<MachineListener::Config> m_waiting;
    bool m_stopping = false;
};

// The application's transfer windows borrow a port from its own service: while a Scope lives,
// the listeners on that port's device have let go of it; they take it back when it ends.
namespace PortHandover {
void setService(DncService *service);
class Scope
{
public:
    explicit Scope(const QString &portName);
    ~Scope();
    Scope(const Scope &) = delete;
    Scope &operator=(const Scope &) = delete;

private:
    QList<QPointer<MachineListener>> m_released;
};
} // namespace PortHandover
