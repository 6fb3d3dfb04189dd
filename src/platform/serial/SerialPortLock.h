#pragma once

#include <QString>

#include <memory>

class QLockFile;

// Keeps two Zavrin programs on one computer (the workstation and the service) from using one
// port at once: a lock file per device in a folder they share, held while the port is open.
// A local device is known by its real path (a by-id link and the tty it stands for are the
// same device), a network port by its server and port number, whichever protocol.
class SerialPortLock
{
public:
    SerialPortLock();
    ~SerialPortLock();

    // The folder of the lock files: ZAVRIN_LOCK_DIR when set, else "zavrin-port-locks" in the
    // temporary folder (shared by the users of the computer). A test points it elsewhere.
    static QString folder();
    static void setFolder(const QString &folder);

    // The file that stands for a device (a path or a network address).
    static QString lockFileFor(const QString &device);

    struct Holder
    {
        QString program;
        qint64 pid = 0;
    };
    // Takes the lock of the device. False when another holds it (*holder names it) or the lock
    // file cannot be made (*error says why; *holder is then empty).
    bool acquire(const QString &device, Holder *holder, QString *error);
    void release();
    bool isHeld() const { return m_lock != nullptr; }

private:
    std::unique_ptr<QLockFile> m_lock;
};
