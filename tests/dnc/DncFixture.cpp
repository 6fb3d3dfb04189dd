#include "DncFixture.h"

#include "machines/Database.h"
#include "machines/DatabaseSchema.h"
#include "machines/MachineOptions.h"
#include "platform/Error.h"
#include "platform/ProfileFile.h"

#include <QDir>

bool DncFixture::make(int count, QString *error, bool remoteRequest, const PortMapper &throughServer)
{
    try {
        DatabaseSchema::createDatabase(databasePath(), false);
        TDataModule1 &db = TDataModule1::instance();
        db.DataModuleCreate(databasePath());
        QList<ProfileFile::Entry> entries{{QStringLiteral("DIRBD"), QStringLiteral("VALUE"), databasePath()},
                                          {QStringLiteral("LANGUAGE"), QStringLiteral("VALUE"), QStringLiteral("EN")}};
        QStringList ports;
        for (int i = 0; i < count; ++i) {
            auto m = std::make_unique<Machine>();
            m->folder = m_dir.filePath(QStringLiteral("m%1").arg(i + 1));
            QDir().mkpath(m->folder);
            const QString ptyDir = m_dir.filePath(QStringLiteral("pty%1").arg(i + 1));
            QDir().mkpath(ptyDir);
            m->pty = std::make_unique<PtyPair>();
            if (!m->pty->start(ptyDir, error))
                return false;
            ports << m->pty->endA(); // a name that is no COMn is the device itself
            m_machines.push_back(std::move(m));
        }
        // A device server in front of the ptys: the machines' ports become its addresses.
        if (throughServer && !throughServer(ports, error))
            return false;
        for (int i = 0; i < count; ++i) {
            Machine *m = m_machines.at(size_t(i)).get();
            MachineRecord r;
            r.number = QStringLiteral("M%1").arg(i + 1, 2, 10, QLatin1Char('0'));
            r.description = QStringLiteral("Lathe %1").arg(i + 1);
            r.transferType = TransferType::Serial;
            r.pictureId = QStringLiteral("1");
            r.programDirectory = m->folder + QLatin1Char('/');
            m->id = db.insertMachine(r);
            SerialParameters p;
            p.speed = 13;   // 115200
            p.dataBits = 4; // 8
            p.parity = 3;   // NONE
            p.stopBits = 2; // 1
            p.flow = 3;     // NONE
            p.port = ports.at(i);
            db.insertSerialParameters(m->id, p);
            const QString section = MachineOptions::sectionFor(m->id);
            entries.append({section, QStringLiteral("AUTORECEIVE"), QStringLiteral("1")});
            entries.append({section, QStringLiteral("REMOTEREQUEST"), remoteRequest ? QStringLiteral("1") : QStringLiteral("0")});
            entries.append({section, QStringLiteral("ANSWERDELAY"), QStringLiteral("0")});
        }
        ProfileFile ini(iniPath());
        if (!ini.writeStrings(entries, error))
            return false;
    } catch (const Error &e) {
        *error = e.message();
        return false;
    }
    return true;
}

bool DncFixture::openControls(QString *error)
{
    for (auto &m : m_machines) {
        m->control = std::make_unique<QSerialPort>(m->pty->endB());
        if (!m->control->open(QIODevice::ReadWrite)) {
            *error = QStringLiteral("%1: %2").arg(m->pty->endB(), m->control->errorString());
            return false;
        }
        m->control->setBaudRate(115200);
        Machine *raw = m.get();
        QObject::connect(raw->control.get(), &QSerialPort::readyRead, raw->control.get(),
                         [raw] { raw->fromService += raw->control->readAll(); });
    }
    return true;
}

void DncFixture::punch(int i, const QByteArray &bytes)
{
    QSerialPort &c = *machine(i).control;
    c.write(bytes);
    while (c.bytesToWrite() > 0)
        c.waitForBytesWritten(1000);
}

QStringList DncFixture::files(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files, QDir::Name);
}

QStringList DncFixture::hiddenFiles(const QString &folder)
{
    QStringList out;
    for (const QString &f : QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name))
        if (f.startsWith(QLatin1Char('.')))
            out << f;
    return out;
}
