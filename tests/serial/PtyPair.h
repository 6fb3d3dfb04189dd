#pragma once

#include <QProcess>
#include <QString>

// Two connected pseudo-terminals made by socat: what is written to one end is read at the other.
class PtyPair
{
public:
    // Starts socat with the two ends as links in dir; false with *error when it cannot.
    bool start(const QString &dir, QString *error);
    // Ends socat: both ends hang up.
    void stop();
    ~PtyPair() { stop(); }

    QString endA() const { return m_a; }
    QString endB() const { return m_b; }

private:
    QProcess m_socat;
    QString m_a;
    QString m_b;
};
