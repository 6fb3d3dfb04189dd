#pragma once

#include "serial/PtyPair.h"

#include <QByteArray>
#include <QSerialPort>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <vector>

// Serial machines on socat pty pairs with automatic receive on: a SQLite machine database and a
// Zavrin.ini in a temporary folder, one program folder per machine. The service listens on end
// A of each pair (its device is the machine's port name); the test plays each control on end B.
class DncFixture
{
public:
    struct Machine
    {
        QString id;
        QString folder;
        std::unique_ptr<PtyPair> pty;
        std::unique_ptr<QSerialPort> control; // end B, opened by openControls()
        QByteArray fromService;               // what the control has read
    };

    // Given the machines' devices (end A of each pair), puts a device server in front of them
    // and replaces each by the server's address for it; false with *error when it cannot.
    using PortMapper = std::function<bool(QStringList &ports, QString *error)>;
    // Makes `count` machines; false with *error when socat or the database fails.
    bool make(int count, QString *error, bool remoteRequest = true, const PortMapper &throughServer = {});
    QString iniPath() const { return m_dir.filePath(QStringLiteral("Zavrin.ini")); }
    QString databasePath() const { return m_dir.filePath(QStringLiteral("machines.db")); }
    QString path(const QString &name) const { return m_dir.filePath(name); }

    Machine &machine(int i) { return *m_machines.at(size_t(i)); }
    int count() const { return int(m_machines.size()); }

    // Opens end B of every pair as the control (115200 baud, 8N1, no flow control).
    bool openControls(QString *error);
    // The control punches bytes out: written and drained.
    void punch(int i, const QByteArray &bytes);

    // The plain files of a machine's folder (hidden temporary files are listed apart).
    static QStringList files(const QString &folder);
    static QStringList hiddenFiles(const QString &folder);

private:
    QTemporaryDir m_dir;
    std::vector<std::unique_ptr<Machine>> m_machines;
};
