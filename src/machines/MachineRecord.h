#pragma once

#include <QDateTime>
#include <QVariant>
#include <QString>

// One row of ZVRD_MAQUINAS, read by column position (0 to 5) and the two dates by name.
struct MachineRecord
{
    QString id;          // ID_MAQUINA as text
    QString number;      // NUM_MAQUINA
    QString description; // DSC_MAQUINA
    QString transferType;
    QString pictureId;   // ID_IMAGEM as text
    QString programDirectory;
    // The two dates as the database returns them (a date-time, or its text), read
    // as dates only when shown: making thousands of local times is slow.
    QVariant created;
    QVariant changed;
};

// The parameter rows of the three transfer ways; a missing row reads as empty texts.
struct PathParameters
{
    QString directory; // PATH_DIR
};

struct FtpParameters
{
    QString directory; // FTP_DIR
    QString host;
    QString user;
    QString password;
    QString port; // as text
};

struct SerialParameters
{
    int speed = 0;    // SERIAL_VELOCIDADE, code 1 to 15
    int dataBits = 0; // code 1 to 4
    int parity = 0;   // code 1 to 5
    int stopBits = 0; // code 1 to 3
    int crLf = 0;     // SERIAL_CR_LF, 0 or 1, stored only
    int flow = 0;     // code 1 to 4
    QString port;     // "COM1" to "COM12"
};

// Transfer type words as stored.
namespace TransferType {
inline const QString DirLocal = QStringLiteral("DIRLOCAL");
inline const QString DirNet = QStringLiteral("DIRNET");
inline const QString DirRede = QStringLiteral("DIRREDE"); // read like DIRNET, never written
inline const QString Ftp = QStringLiteral("FTP");
inline const QString Serial = QStringLiteral("SERIAL232");

// The parameter table of a type word: ZVRD_PATH, ZVRD_FTP, ZVRD_SERIAL, or empty.
QString parameterTable(const QString &type);
} // namespace TransferType
