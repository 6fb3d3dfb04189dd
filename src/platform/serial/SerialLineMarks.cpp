#include "SerialLineMarks.h"

QByteArray SerialLineMarks::decode(const QByteArray &marked, QList<LineError> *errors)
{
    QByteArray data;
    data.reserve(marked.size());
    for (const char c : marked) {
        const auto byte = static_cast<unsigned char>(c);
        switch (m_state) {
        case State::Data:
            if (byte == 0xff) {
                m_state = State::AfterFF;
                continue;
            }
            data += c;
            break;
        case State::AfterFF:
            if (byte == 0x00) {
                m_state = State::AfterFF00;
                continue;
            }
            // 0xFF 0xFF is a real 0xFF; anything else is not a mark the driver writes, so
            // the 0xFF is taken as data too rather than lost.
            data += char(0xff);
            m_state = State::Data;
            if (byte == 0xff)
                break;
            ++m_position;
            data += c;
            break;
        case State::AfterFF00:
            m_state = State::Data;
            if (byte == 0x00) {
                errors->append({Kind::Break, m_position});
                continue;
            }
            errors->append({Kind::ParityOrFraming, m_position});
            data += c;
            break;
        }
        ++m_position;
    }
    return data;
}
