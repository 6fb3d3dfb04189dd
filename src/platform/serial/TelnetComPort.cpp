#include "TelnetComPort.h"

#include <cstring>

namespace {

// Sub-negotiations longer than this are no port-control message: the rest is dropped.
constexpr qsizetype MaxSubnegotiation = 1024;

void send(QByteArray *reply, unsigned char verb, unsigned char option)
{
    reply->append(char(TelnetComPort::IAC));
    reply->append(char(verb));
    reply->append(char(option));
}

} // namespace

bool TelnetComPort::weDo(unsigned char option)
{
    return option == OptionBinary || option == OptionSuppressGoAhead || option == OptionComPort;
}

bool TelnetComPort::heMay(unsigned char option)
{
    return option == OptionBinary || option == OptionSuppressGoAhead;
}

QByteArray TelnetComPort::start()
{
    QByteArray out;
    for (const unsigned char option : {OptionBinary, OptionSuppressGoAhead, OptionComPort}) {
        if (!m_us[option].enabled && !m_us[option].asked) {
            m_us[option].asked = true;
            send(&out, WILL, option);
        }
    }
    for (const unsigned char option : {OptionBinary, OptionSuppressGoAhead}) {
        if (!m_him[option].enabled && !m_him[option].asked) {
            m_him[option].asked = true;
            send(&out, DO, option);
        }
    }
    return out;
}

// Each side answers only what changes an option's state, so that two sides never answer each
// other's answers for ever (RFC 854); a request we cannot follow is refused.
void TelnetComPort::onVerb(unsigned char verb, unsigned char option, QByteArray *reply)
{
    switch (verb) {
    case DO: {
        OptionState &s = m_us[option];
        if (!weDo(option)) {
            send(reply, WONT, option);
        } else if (!s.enabled) {
            s.enabled = true;
            if (!s.asked)
                send(reply, WILL, option);
        }
        s.asked = false;
        if (option == OptionComPort)
            m_comPort = weDo(option) ? Agreement::Accepted : Agreement::Refused;
        break;
    }
    case DONT: {
        OptionState &s = m_us[option];
        if (s.enabled) {
            s.enabled = false;
            if (!s.asked)
                send(reply, WONT, option);
        }
        s.asked = false;
        if (option == OptionComPort)
            m_comPort = Agreement::Refused;
        break;
    }
    case WILL: {
        OptionState &s = m_him[option];
        if (!heMay(option)) {
            send(reply, DONT, option);
        } else if (!s.enabled) {
            s.enabled = true;
            if (!s.asked)
                send(reply, DO, option);
        }
        s.asked = false;
        break;
    }
    case WONT: {
        OptionState &s = m_him[option];
        if (s.enabled) {
            s.enabled = false;
            if (!s.asked)
                send(reply, DONT, option);
        }
        s.asked = false;
        break;
    }
    default:
        break;
    }
}

void TelnetComPort::onSubnegotiation(QList<Message> *messages)
{
    if (m_sub.size() < 2 || static_cast<unsigned char>(m_sub.at(0)) != OptionComPort)
        return;
    unsigned char command = static_cast<unsigned char>(m_sub.at(1));
    // A server answers with the command plus 100; a client-style number is taken as it is.
    if (command >= ServerOffset)
        command = static_cast<unsigned char>(command - ServerOffset);
    messages->append({command, m_sub.mid(2)});
}

QByteArray TelnetComPort::decode(const QByteArray &in, QByteArray *reply, QList<Message> *messages)
{
    QByteArray data;
    data.reserve(in.size());
    const char *p = in.constData();
    const char *end = p + in.size();
    while (p < end) {
        if (m_state == State::Data) {
            // The common case: a run of plain data up to the next IAC.
            const char *iac = static_cast<const char *>(std::memchr(p, char(IAC), size_t(end - p)));
            const char *runEnd = iac ? iac : end;
            data.append(p, runEnd - p);
            p = runEnd;
            if (!iac)
                break;
            ++p;
            m_state = State::Iac;
            continue;
        }
        const unsigned char c = static_cast<unsigned char>(*p++);
        switch (m_state) {
        case State::Data:
            break;
        case State::Iac:
            if (c == IAC) {
                data.append(char(IAC));
                m_state = State::Data;
            } else if (c == WILL || c == WONT || c == DO || c == DONT) {
                m_verb = c;
                m_state = State::Verb;
            } else if (c == SB) {
                m_sub.clear();
                m_state = State::Sub;
            } else {
                m_state = State::Data; // NOP, GA, and the other one-byte commands mean nothing here
            }
            break;
        case State::Verb:
            onVerb(m_verb, c, reply);
            m_state = State::Data;
            break;
        case State::Sub:
            if (c == IAC)
                m_state = State::SubIac;
            else if (m_sub.size() < MaxSubnegotiation)
                m_sub.append(char(c));
            break;
        case State::SubIac:
            if (c == IAC) {
                if (m_sub.size() < MaxSubnegotiation)
                    m_sub.append(char(IAC));
                m_state = State::Sub;
            } else if (c == SE) {
                onSubnegotiation(messages);
                m_sub.clear();
                m_state = State::Data;
            } else {
                // IAC and anything else inside a sub-negotiation: the sub-negotiation was cut off;
                // take the byte as the command it starts.
                m_sub.clear();
                m_state = State::Iac;
                --p;
            }
            break;
        }
    }
    return data;
}

QByteArray TelnetComPort::escape(const QByteArray &data)
{
    if (!data.contains(char(IAC)))
        return data;
    QByteArray out;
    out.reserve(data.size() + data.size() / 64 + 8);
    for (const char c : data) {
        out.append(c);
        if (static_cast<unsigned char>(c) == IAC)
            out.append(c);
    }
    return out;
}

QByteArray TelnetComPort::command(Command command, const QByteArray &value)
{
    QByteArray out;
    out.append(char(IAC));
    out.append(char(SB));
    out.append(char(OptionComPort));
    out.append(char(command));
    out.append(escape(value));
    out.append(char(IAC));
    out.append(char(SE));
    return out;
}

QByteArray TelnetComPort::baudRateValue(quint32 baud)
{
    QByteArray v(4, '\0');
    v[0] = char((baud >> 24) & 0xff);
    v[1] = char((baud >> 16) & 0xff);
    v[2] = char((baud >> 8) & 0xff);
    v[3] = char(baud & 0xff);
    return v;
}

quint32 TelnetComPort::baudRateOf(const QByteArray &value)
{
    if (value.size() < 4)
        return 0;
    quint32 b = 0;
    for (int i = 0; i < 4; ++i)
        b = (b << 8) | static_cast<unsigned char>(value.at(i));
    return b;
}
