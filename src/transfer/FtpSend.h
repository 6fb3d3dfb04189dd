#pragma once

#include <QString>

class FtpClient;

// Sending a program to a machine by FTP so that a cancel or a failure never
// leaves half a program under the program's name unannounced: where the server
// can rename, the file goes up under a temporary name and takes the program's
// name only once it is complete; otherwise it goes up under its own name and is
// deleted again when the upload did not complete.
namespace FtpSend {

// What became of an incomplete upload.
struct Cleanup
{
    enum State {
        Nothing,    // no partial file was left (success, or the server refused at once)
        Removed,    // the partial file was deleted (DELE)
        NotRemoved, // the partial file could not be deleted: it is still on the machine
        NotRenamed, // the whole file is on the machine, but only under the temporary name
    };
    State state = Nothing;
    QString name;   // the partial (or, for NotRenamed, the complete) file on the machine
    QString reason; // why the delete or the rename failed
    bool temporary = false; // name is the temporary name, the program's name was not touched
};

// The temporary name of a program while it is uploaded.
QString temporaryName(const QString &remoteName);

// Uploads localPath as remoteName into the client's current directory. Throws
// what the upload threw (FtpAborted for a cancel); `cleanup` then says what was
// done about the partial file.
void send(FtpClient &client, const QString &localPath, const QString &remoteName, Cleanup &cleanup);

// What the machine's copy of a sent program was found to be.
struct Check
{
    enum Result {
        NotChecked, // the server tells no size and reading back is off
        SizeMatched, // the server's SIZE is the program's size (contents not compared)
        Verified,    // read back, and its SHA-256 is the program's
        Mismatch,    // the size or the contents differ
    };
    Result result = NotChecked;
    bool sizeKnown = false;  // the server answered SIZE
    qint64 remoteBytes = -1; // the copy's size (SIZE, or what was read back); -1 unknown
    QString remoteHash;      // when read back and equal: the program's; else empty
};

// After send(): asks the server for the copy's size and, with readBack, downloads it
// again (into memory a block at a time, not to disk) and compares it byte for byte with
// the program at localPath (as strong as comparing hashes, and cheaper). The client must
// be in TYPE I. Throws what the download threw.
Check verify(FtpClient &client, const QString &localPath, const QString &remoteName, qint64 programBytes,
             const QString &programHash, bool readBack);

// send() and verify() together, the program hashed (for the journal and the comparison)
// on a thread of its own while it goes up. Throws what send() or verify() threw; the
// hash and size are set as soon as they are known.
struct Sent
{
    QString programHash; // of the program's bytes as read, empty when it could not be read
    qint64 programBytes = -1;
    Check check;
};
void sendAndVerify(FtpClient &client, const QString &localPath, const QString &remoteName, bool readBack,
                   Cleanup &cleanup, Sent &sent);

} // namespace FtpSend
