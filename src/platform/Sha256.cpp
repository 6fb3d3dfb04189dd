#include "Sha256.h"

#include <QByteArray>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#ifdef ZAVRIN_HAVE_OPENSSL
#include <openssl/evp.h>
#else
#include <QCryptographicHash>
#endif

struct Sha256::Private
{
#ifdef ZAVRIN_HAVE_OPENSSL
    EVP_MD_CTX *context = nullptr;
    Private() : context(EVP_MD_CTX_new()) { EVP_DigestInit_ex(context, EVP_sha256(), nullptr); }
    ~Private() { EVP_MD_CTX_free(context); }
#else
    QCryptographicHash hash{QCryptographicHash::Sha256};
#endif
};

Sha256::Sha256() : d(std::make_unique<Private>()) {}
Sha256::~Sha256() = default;

void Sha256::addData(QByteArrayView data)
{
#ifdef ZAVRIN_HAVE_OPENSSL
    EVP_DigestUpdate(d->context, data.data(), size_t(data.size()));
#else
    d->hash.addData(data);
#endif
}

QString Sha256::hex()
{
#ifdef ZAVRIN_HAVE_OPENSSL
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_DigestFinal_ex(d->context, digest, &length);
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char *>(digest), int(length)).toHex());
#else
    return QString::fromLatin1(d->hash.result().toHex());
#endif
}

QString Sha256::hexOf(QByteArrayView data)
{
    Sha256 hash;
    hash.addData(data);
    return hash.hex();
}

struct BackgroundSha256::Worker
{
    static constexpr qint64 MaxQueued = qint64(32) << 20;

    std::mutex mutex;
    std::condition_variable changed;
    std::deque<QByteArray> queue;
    qint64 queued = 0;
    bool finished = false;
    Sha256 hash;
    QString hex;
    std::thread thread;

    Worker()
    {
        thread = std::thread([this] {
            for (;;) {
                QByteArray chunk;
                {
                    std::unique_lock<std::mutex> lock(mutex);
                    changed.wait(lock, [this] { return !queue.empty() || finished; });
                    if (queue.empty())
                        break;
                    chunk = std::move(queue.front());
                    queue.pop_front();
                    queued -= chunk.size();
                }
                changed.notify_all();
                hash.addData(chunk);
            }
        });
    }
    void finish()
    {
        if (!thread.joinable())
            return;
        {
            std::lock_guard<std::mutex> lock(mutex);
            finished = true;
        }
        changed.notify_all();
        thread.join();
        hex = hash.hex();
    }
    ~Worker() { finish(); }
};

BackgroundSha256::BackgroundSha256() : m_worker(std::make_unique<Worker>()) {}
BackgroundSha256::~BackgroundSha256() = default;

void BackgroundSha256::addData(QByteArrayView data)
{
    Worker &w = *m_worker;
    {
        std::unique_lock<std::mutex> lock(w.mutex);
        w.changed.wait(lock, [&w] { return w.queued < Worker::MaxQueued; });
        w.queue.emplace_back(data.data(), data.size());
        w.queued += data.size();
    }
    w.changed.notify_all();
}

QString BackgroundSha256::hex()
{
    m_worker->finish();
    return m_worker->hex;
}
