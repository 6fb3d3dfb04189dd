#pragma once

#include <QString>
#include <exception>

// An operation that failed, with the real reason as the user should read it
// (the database's, the file system's or the network library's own text).
class Error : public std::exception
{
public:
    explicit Error(QString message) : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}
    const QString &message() const { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};
