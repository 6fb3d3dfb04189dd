#pragma once

#include <QByteArrayView>
#include <QString>
#include <memory>

// SHA-256 over data given in pieces. The system's cryptography library where the build
// found it (it uses the processor's SHA instructions: about 1.7 GB/s here, against 80 to
// 400 MB/s for QCryptographicHash of Qt 6.4), else QCryptographicHash: a program
// verified after a transfer is hashed twice, and that must stay small beside the copy.
class Sha256
{
public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256 &) = delete;
    Sha256 &operator=(const Sha256 &) = delete;

    void addData(QByteArrayView data);
    // Lower-case hex of everything added; the object is then spent.
    QString hex();

    static QString hexOf(QByteArrayView data);

private:
    struct Private;
    std::unique_ptr<Private> d;
};

// SHA-256 computed on a thread of its own from copies of the data given, so that the
// caller's copy or download goes on meanwhile; at most 32 MB wait to be hashed (a caller
// beyond that waits).
class BackgroundSha256
{
public:
    BackgroundSha256();
    ~BackgroundSha256();
    BackgroundSha256(const BackgroundSha256 &) = delete;
    BackgroundSha256 &operator=(const BackgroundSha256 &) = delete;

    void addData(QByteArrayView data);
    // Waits for what was given to be hashed; once.
    QString hex();

private:
    struct Worker;
    std::unique_ptr<Worker> m_worker;
};
