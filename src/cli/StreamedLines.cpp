#include "StreamedLines.h"

#include "OutputSink.h"
#include "ProgramInput.h"
#include "platform/Error.h"
#include "platform/Utf8Text.h"

#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// ASCII bytes as UTF-16 units; false (the target half written) at the first
// byte of 0x80 or above.
bool widenAscii(const char *from, qsizetype size, char16_t *to)
{
    qsizetype i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    for (; i + 16 <= size; i += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(from + i));
        if (_mm_movemask_epi8(bytes))
            return false;
        _mm_storeu_si128(reinterpret_cast<__m128i *>(to + i), _mm_unpacklo_epi8(bytes, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(to + i + 8), _mm_unpackhi_epi8(bytes, zero));
    }
#endif
    for (; i < size; ++i) {
        const unsigned char c = static_cast<unsigned char>(from[i]);
        if (c >= 0x80)
            return false;
        to[i] = c;
    }
    return true;
}

// UTF-16 units below 0x80 as bytes; false at the first unit of 0x80 or above.
bool narrowAscii(const char16_t *from, qsizetype size, char *to)
{
    qsizetype i = 0;
#if defined(__SSE2__)
    const __m128i high = _mm_set1_epi16(short(0xFF80));
    const __m128i zero = _mm_setzero_si128();
    for (; i + 16 <= size; i += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(from + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(from + i + 8));
        const __m128i over = _mm_and_si128(_mm_or_si128(a, b), high);
        if (_mm_movemask_epi8(_mm_cmpeq_epi16(over, zero)) != 0xFFFF)
            return false;
        _mm_storeu_si128(reinterpret_cast<__m128i *>(to + i), _mm_packus_epi16(a, b));
    }
#endif
    for (; i < size; ++i) {
        if (from[i] >= 0x80)
            return false;
        to[i] = char(from[i]);
    }
    return true;
}

constexpr qsizetype BlockSize = 1 << 20;

[[noreturn]] void outOfOrder()
{
    // The run reads each line once, in order; anything else is a fault of ours.
    throw Error(QStringLiteral("internal error: the lines of a streamed program were not taken in order"));
}

} // namespace

StreamedLines::StreamedLines(ProgramInput::InputFile &input, qint64 size, int lineCount, qsizetype skip,
                             OutputSink &sink)
    : m_input(input), m_sink(sink), m_size(size), m_count(lineCount)
{
    m_buffer.resize(BlockSize);
    fill(BlockSize);
    m_lineStart = skip; // the mark is in the buffer now, and goes out with the first bytes
}

void StreamedLines::emitPending(qint64 upTo) const
{
    if (upTo <= m_emitted)
        return;
    m_sink.write(m_buffer.constData() + (m_emitted - m_bufferStart), qsizetype(upTo - m_emitted));
    m_emitted = upTo;
}

bool StreamedLines::fill(qsizetype bytes) const
{
    const qint64 before = m_bufferStart + m_bufferUsed - m_lineStart;
    if (before >= bytes)
        return true;
    // What lies before the current line has to go out before it is dropped.
    emitPending(m_lineStart);
    const qsizetype keep = qsizetype(m_bufferStart + m_bufferUsed - m_lineStart);
    if (keep > 0 && m_lineStart > m_bufferStart)
        std::memmove(m_buffer.data(), m_buffer.constData() + (m_lineStart - m_bufferStart), size_t(keep));
    m_bufferStart = m_lineStart;
    m_bufferUsed = keep;
    if (bytes > m_buffer.size())
        m_buffer.resize(qMax(bytes, m_buffer.size() * 2));
    while (m_bufferUsed < bytes) {
        if (m_bufferUsed == m_buffer.size())
            m_buffer.resize(m_buffer.size() * 2);
        const qsizetype n = m_input.read(m_buffer.data() + m_bufferUsed, m_buffer.size() - m_bufferUsed);
        if (n == 0)
            break;
        m_bufferUsed += n;
        m_read += n;
    }
    return m_bufferStart + m_bufferUsed - m_lineStart > before;
}

void StreamedLines::seek(int index) const
{
    if (index < m_index)
        outOfOrder();
    for (;;) {
        if (m_lineEnd < 0) {
            // Find where the current line ends: the first CR or LF from its start.
            qsizetype want = 0;
            for (;;) {
                const qint64 bufferEnd = m_bufferStart + m_bufferUsed;
                const qint64 available = bufferEnd - m_lineStart;
                const char *from = m_buffer.constData() + (m_lineStart - m_bufferStart);
                // The next LF is looked up again only once it has been passed (or
                // the buffer has grown), so that a file with CR breaks only is
                // not searched to the buffer's end for every line.
                if (!(m_nextLf >= m_lineStart || (m_nextLf < 0 && m_noLfUntil == bufferEnd))) {
                    const void *lf = std::memchr(from, '\n', size_t(available));
                    m_nextLf = lf ? m_lineStart + (static_cast<const char *>(lf) - from) : -1;
                    m_noLfUntil = lf ? -1 : bufferEnd;
                }
                const qsizetype limit = m_nextLf >= 0 ? qsizetype(m_nextLf - m_lineStart) : qsizetype(available);
                const void *cr = std::memchr(from, '\r', size_t(limit));
                const qsizetype at = cr ? static_cast<const char *>(cr) - from : limit;
                if (at < available) {
                    // A CR needs the byte after it to tell CR from CR LF.
                    if (from[at] == '\r' && at + 1 == available && fill(available + 1))
                        continue;
                    m_lineEnd = m_lineStart + at;
                    const bool crLf = from[at] == '\r' && at + 1 < available && from[at + 1] == '\n';
                    m_nextStart = m_lineEnd + (crLf ? 2 : 1);
                    break;
                }
                want = qMax<qsizetype>(qsizetype(available) + BlockSize / 2, BlockSize);
                if (!fill(want)) {
                    // The last line: it ends with the file.
                    m_lineEnd = m_bufferStart + m_bufferUsed;
                    m_nextStart = m_lineEnd;
                    break;
                }
            }
        }
        if (m_index == index)
            return;
        ++m_index;
        m_lineStart = m_nextStart;
        m_lineEnd = -1;
    }
}

QString StreamedLines::line(int index) const
{
    if (index < 0 || index >= m_count)
        return QString();
    seek(index);
    const char *bytes = m_buffer.constData() + (m_lineStart - m_bufferStart);
    const qsizetype length = qsizetype(m_lineEnd - m_lineStart);
    m_text.resize(length);
    if (!widenAscii(bytes, length, reinterpret_cast<char16_t *>(m_text.data())))
        m_text = utf8Text(QByteArrayView(bytes, length));
    return m_text;
}

void StreamedLines::replaceLine(int index, const QString &text)
{
    if (index < 0 || index > m_count)
        return;
    if (index == m_count)
        throw Error(QStringLiteral("internal error: a line was added to a streamed program"));
    seek(index);
    if (m_emitted > m_lineStart)
        outOfOrder(); // replaced twice
    emitPending(m_lineStart);
    const qsizetype size = text.size();
    if (narrowAscii(reinterpret_cast<const char16_t *>(text.constData()), size, m_sink.room(size))) {
        m_sink.added(size);
    } else {
        const QByteArray utf8 = text.toUtf8();
        m_sink.write(utf8.constData(), utf8.size());
    }
    // The old text is skipped; its break stays in what goes out unchanged.
    m_emitted = m_lineEnd;
}

void StreamedLines::finish()
{
    emitPending(m_bufferStart + m_bufferUsed);
    m_emitted = m_bufferStart + m_bufferUsed;
    for (;;) {
        const qsizetype n = m_input.read(m_buffer.data(), m_buffer.size());
        if (n == 0)
            break;
        m_read += n;
        m_sink.write(m_buffer.constData(), n);
    }
    if (m_read != m_size)
        throw Error(QStringLiteral("%1 changed while it was read; nothing was written").arg(m_input.name()));
}
