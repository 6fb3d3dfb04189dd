#include "DocumentLines.h"
#include "platform/Utf8Text.h"

#include <cstring>

DocumentLines::DocumentLines(QByteArray utf8, QByteArray newLineBreak)
    : m_utf8(std::move(utf8)), m_newLineBreak(std::move(newLineBreak))
{
    const char *data = m_utf8.constData();
    const qsizetype size = m_utf8.size();
    m_starts.reserve(size_t(size / 24 + 1));
    m_ends.reserve(size_t(size / 24 + 1));
    qsizetype start = 0;
    // The next LF is looked up again only once it has been passed, so that a
    // file with CR breaks only is not searched to its end for every line.
    qsizetype nextLf = -1;
    bool noMoreLf = false;
    while (start < size) {
        if (!noMoreLf && nextLf < start) {
            const void *lf = std::memchr(data + start, '\n', size_t(size - start));
            noMoreLf = !lf;
            nextLf = lf ? static_cast<const char *>(lf) - data : size;
        }
        const qsizetype limit = noMoreLf ? size : nextLf;
        const void *cr = std::memchr(data + start, '\r', size_t(limit - start));
        const qsizetype at = cr ? static_cast<const char *>(cr) - data : limit;
        if (at >= size)
            break;
        m_starts.push_back(start);
        m_ends.push_back(at);
        start = at + 1;
        if (data[at] == '\r' && at + 1 < size && data[at + 1] == '\n')
            start = at + 2;
    }
    m_starts.push_back(start);
    m_ends.push_back(size);
}

QString DocumentLines::line(int index) const
{
    if (index < 0 || index >= count())
        return QString();
    const char *bytes = m_utf8.constData() + m_starts[size_t(index)];
    qsizetype length = m_ends[size_t(index)] - m_starts[size_t(index)];
    if (!m_replacementStarts.empty() && m_replacementStarts[size_t(index)] >= 0) {
        bytes = m_replacementBytes.constData() + m_replacementStarts[size_t(index)];
        length = m_replacementEnds[size_t(index)] - m_replacementStarts[size_t(index)];
    }

    m_buffer.resize(length);
    char16_t *target = reinterpret_cast<char16_t *>(m_buffer.data());
    for (qsizetype i = 0; i < length; ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c >= 0x80) {
            m_buffer = utf8Text(QByteArrayView(bytes, length));
            return m_buffer;
        }
        target[i] = c;
    }
    return m_buffer;
}

void DocumentLines::replaceLine(int index, const QString &text)
{
    if (index < 0 || index > count())
        return;
    if (index == count()) {
        // A new last line: the old last line gets the new-line break.
        m_starts.push_back(m_utf8.size());
        m_ends.push_back(m_utf8.size());
        if (!m_replacementStarts.empty()) {
            m_replacementStarts.push_back(-1);
            m_replacementEnds.push_back(-1);
        }
    }
    if (m_replacementStarts.empty()) {
        m_replacementStarts.assign(m_starts.size(), -1);
        m_replacementEnds.assign(m_starts.size(), -1);
        // Room for every line to change and grow a little: untouched pages cost nothing.
        m_replacementBytes.reserve(m_utf8.size() + m_utf8.size() / 4 + 64);
    }
    m_replacementStarts[size_t(index)] = m_replacementBytes.size();
    appendUtf8Text(m_replacementBytes, text);
    m_replacementEnds[size_t(index)] = m_replacementBytes.size();
}

QByteArray DocumentLines::utf8() const
{
    if (m_replacementStarts.empty())
        return m_utf8;
    const char *data = m_utf8.constData();
    const char *replacements = m_replacementBytes.constData();
    const size_t lines = m_starts.size();
    // The exact size first, then one copy per piece.
    qsizetype size = 0;
    for (size_t i = 0; i < lines; ++i) {
        size += m_replacementStarts[i] >= 0 ? m_replacementEnds[i] - m_replacementStarts[i] : m_ends[i] - m_starts[i];
        if (i + 1 < lines)
            size += m_starts[i + 1] > m_ends[i] ? m_starts[i + 1] - m_ends[i] : m_newLineBreak.size();
    }
    QByteArray out(size, Qt::Uninitialized);
    char *target = out.data();
    const auto put = [&](const char *from, qsizetype length) {
        std::memcpy(target, from, size_t(length));
        target += length;
    };
    for (size_t i = 0; i < lines; ++i) {
        if (m_replacementStarts[i] >= 0)
            put(replacements + m_replacementStarts[i], m_replacementEnds[i] - m_replacementStarts[i]);
        else
            put(data + m_starts[i], m_ends[i] - m_starts[i]);
        if (i + 1 < lines) {
            // The line's own break, or the new-line break after the old last line.
            if (m_starts[i + 1] > m_ends[i]) {
                put(data + m_ends[i], m_starts[i + 1] - m_ends[i]);
            } else {
                put(m_newLineBreak.constData(), m_newLineBreak.size());
                // After an empty line that follows a lone CR an LF would join
                // that CR into one CR LF, and the empty line would be gone.
                if (target - out.constData() >= 2 && target[-1] == '\n' && target[-2] == '\r'
                    && m_newLineBreak.startsWith('\n'))
                    target[-1] = '\r';
            }
        }
    }
    return out;
}
