#include "ProgramFile.h"

#include "platform/SafeFile.h"

#include "platform/Error.h"
#include "platform/Utf8Text.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>

namespace {

const QString CrLf = QStringLiteral("\r\n");
const QString Lf = QStringLiteral("\n");
const QString Cr = QStringLiteral("\r");
const QString LineSeparator = QString(QChar(0x2028));

constexpr char16_t LineSeparatorUnit = 0x2028;

bool isUtf16(ProgramEncoding e) { return e == ProgramEncoding::Utf16LE || e == ProgramEncoding::Utf16BE; }

struct Detected
{
    ProgramEncoding encoding;
    int markLength;
};

Detected detect(QByteArrayView bytes)
{
    // An odd length cannot be UTF-16; such a file is read as 8-bit text so that
    // none of its bytes is dropped.
    if (bytes.size() >= 2 && bytes.size() % 2 == 0) {
        const uchar b0 = uchar(bytes[0]), b1 = uchar(bytes[1]);
        if (b0 == 0xFF && b1 == 0xFE)
            return {ProgramEncoding::Utf16LE, 2};
        if (b0 == 0xFE && b1 == 0xFF)
            return {ProgramEncoding::Utf16BE, 2};
    }
#ifdef Q_OS_WIN
    return {ProgramEncoding::SystemCodePage, 0};
#else
    if (isWellFormedUtf8(bytes)) {
        const bool mark = bytes.size() >= 3 && uchar(bytes[0]) == 0xEF && uchar(bytes[1]) == 0xBB
                          && uchar(bytes[2]) == 0xBF;
        return {ProgramEncoding::Utf8, mark ? 3 : 0};
    }
    return {ProgramEncoding::Latin1, 0};
#endif
}

// Counts of each kind of break, and which kind came first, to pick the break of
// new lines.
struct BreakCounts
{
    qsizetype crLf = 0, lf = 0, cr = 0, separator = 0;
    int order[4] = {-1, -1, -1, -1}; // crLf, lf, cr, separator: rank of first appearance
    int seen = 0;

    void add(int kind)
    {
        qsizetype *counts[4] = {&crLf, &lf, &cr, &separator};
        ++*counts[kind];
        if (order[kind] < 0)
            order[kind] = seen++;
    }

    QString dominant() const
    {
        const qsizetype counts[4] = {crLf, lf, cr, separator};
        const QString *names[4] = {&CrLf, &Lf, &Cr, &LineSeparator};
        int best = -1;
        for (int k = 0; k < 4; ++k) {
            if (counts[k] == 0)
                continue;
            if (best < 0 || counts[k] > counts[best] || (counts[k] == counts[best] && order[k] < order[best]))
                best = k;
        }
        return best < 0 ? CrLf : *names[best];
    }
};

char16_t unitAt(const QString &s, qsizetype i) { return s[i].unicode(); }
char16_t unitAt(QByteArrayView s, qsizetype i) { return uchar(s[i]); }
char16_t unitAt(const QByteArray &s, qsizetype i) { return uchar(s[i]); }

template<typename Text>
BreakCounts countBreaks(const Text &text, bool separatorBreaks)
{
    BreakCounts counts;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = unitAt(text, i);
        if (c == '\r') {
            if (i + 1 < n && unitAt(text, i + 1) == '\n') {
                counts.add(0);
                ++i;
            } else {
                counts.add(2);
            }
        } else if (c == '\n') {
            counts.add(1);
        } else if (separatorBreaks && c == LineSeparatorUnit) {
            counts.add(3);
        }
    }
    return counts;
}

QString decodeUtf16(QByteArrayView bytes, bool bigEndian)
{
    const qsizetype units = (bytes.size() - 2) / 2;
    QString text(units, Qt::Uninitialized);
    const auto *p = reinterpret_cast<const uchar *>(bytes.data()) + 2;
    char16_t *d = reinterpret_cast<char16_t *>(text.data());
    for (qsizetype i = 0; i < units; ++i, p += 2)
        d[i] = bigEndian ? char16_t((p[0] << 8) | p[1]) : char16_t(p[0] | (p[1] << 8));
    return text;
}

void appendUtf16LE(QByteArray &out, char16_t u)
{
    out.append(char(u & 0xFF));
    out.append(char(u >> 8));
}

QByteArray encodeUtf16LE(const QString &text)
{
    QByteArray out;
    out.reserve(2 + text.size() * 2);
    out.append(char(0xFF));
    out.append(char(0xFE));
    for (QChar c : text)
        appendUtf16LE(out, c.unicode());
    return out;
}

// Line number (1-based) of a position, for error messages.
template<typename Text>
qsizetype lineOf(const Text &text, qsizetype pos)
{
    qsizetype line = 1;
    for (qsizetype i = 0; i < pos; ++i) {
        const char16_t c = unitAt(text, i);
        if (c == '\n' || (c == '\r' && !(i + 1 < text.size() && unitAt(text, i + 1) == '\n')))
            ++line;
    }
    return line;
}

[[noreturn]] void throwUnrepresentable(uint codePoint, qsizetype line)
{
    const char32_t c = codePoint;
    const QString hex = QString::number(codePoint, 16).toUpper().rightJustified(4, QLatin1Char('0'));
    throw Error(QStringLiteral("line %1 holds the character \"%2\" (U+%3), which the file's 8-bit encoding "
                               "cannot store; the file was not written")
                    .arg(QString::number(line), QString::fromUcs4(&c, 1), hex));
}

QByteArray encodeSystem(const QString &text)
{
    QStringEncoder encoder(QStringConverter::System);
    QByteArray bytes = encoder(text);
    // The code page has no way to say it replaced a character; read it back to see.
    QStringDecoder decoder(QStringConverter::System);
    const QString back = decoder(bytes);
    if (encoder.hasError() || back != text) {
        qsizetype i = 0;
        while (i < text.size() && i < back.size() && text[i] == back[i])
            ++i;
        throwUnrepresentable(i < text.size() ? text[i].unicode() : 0xFFFD, lineOf(text, i));
    }
    return bytes;
}

QByteArray encodeString(const QString &text, ProgramEncoding encoding, bool utf8Mark)
{
    switch (encoding) {
    case ProgramEncoding::Utf16LE:
    case ProgramEncoding::Utf16BE:
        return encodeUtf16LE(text);
    case ProgramEncoding::Latin1: {
        QByteArray out(text.size(), Qt::Uninitialized);
        for (qsizetype i = 0; i < text.size(); ++i) {
            const char16_t u = text[i].unicode();
            if (u > 0xFF)
                throwUnrepresentable(text[i].isHighSurrogate() && i + 1 < text.size()
                                             ? QChar::surrogateToUcs4(text[i], text[i + 1])
                                             : u,
                                     lineOf(text, i));
            out[i] = char(u);
        }
        return out;
    }
    case ProgramEncoding::SystemCodePage:
        return encodeSystem(text);
    case ProgramEncoding::Utf8:
        break;
    }
    QByteArray out = text.toUtf8();
    if (utf8Mark)
        out.prepend("\xEF\xBB\xBF");
    return out;
}

QString decodeString(QByteArrayView bytes, Detected d)
{
    switch (d.encoding) {
    case ProgramEncoding::Utf16LE:
        return decodeUtf16(bytes, false);
    case ProgramEncoding::Utf16BE:
        return decodeUtf16(bytes, true);
    case ProgramEncoding::Latin1:
        return QString::fromLatin1(bytes);
    case ProgramEncoding::SystemCodePage: {
        QStringDecoder decoder(QStringConverter::System);
        return decoder(bytes);
    }
    case ProgramEncoding::Utf8:
        break;
    }
    // The file's own mark is off already; a second one is text.
    return utf8Text(bytes.sliced(d.markLength));
}

// UTF-8 as the editing control holds it. Surrogates that are not part of a pair
// (only a malformed UTF-16 file has them) are kept as three-byte forms so that they
// are written back as they were.
QByteArray utf16ToEditorUtf8(const QString &text)
{
    QByteArray out;
    out.reserve(text.size() + text.size() / 8);
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        uint u = text[i].unicode();
        if (u < 0x80) {
            out.append(char(u));
            continue;
        }
        if (QChar::isHighSurrogate(u) && i + 1 < n && text[i + 1].isLowSurrogate()) {
            u = QChar::surrogateToUcs4(char16_t(u), text[i + 1].unicode());
            ++i;
        }
        if (u < 0x800) {
            out.append(char(0xC0 | (u >> 6)));
        } else if (u < 0x10000) {
            out.append(char(0xE0 | (u >> 12)));
            out.append(char(0x80 | ((u >> 6) & 0x3F)));
        } else {
            out.append(char(0xF0 | (u >> 18)));
            out.append(char(0x80 | ((u >> 12) & 0x3F)));
            out.append(char(0x80 | ((u >> 6) & 0x3F)));
        }
        out.append(char(0x80 | (u & 0x3F)));
    }
    return out;
}

// Decodes one character at p (which is before end); returns its code point and
// advances p. Malformed bytes give U+FFFD, one byte at a time.
uint nextCodePoint(const uchar *&p, const uchar *end)
{
    const uchar b = *p++;
    if (b < 0x80)
        return b;
    int extra;
    uint u;
    if (b >= 0xC2 && b <= 0xDF) {
        extra = 1;
        u = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
        extra = 2;
        u = b & 0x0F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        extra = 3;
        u = b & 0x07;
    } else {
        return 0xFFFD;
    }
    if (end - p < extra)
        return 0xFFFD;
    for (int k = 0; k < extra; ++k) {
        if ((p[k] & 0xC0) != 0x80)
            return 0xFFFD;
        u = (u << 6) | (p[k] & 0x3F);
    }
    p += extra;
    return u;
}

// Back from the control's buffer to UTF-16, turning the stand-in line end into
// U+2028 again.
QString editorUtf8ToUtf16(QByteArrayView utf8, const QByteArray &standIn)
{
    QString out;
    out.reserve(utf8.size());
    const auto *p = reinterpret_cast<const uchar *>(utf8.data());
    const auto *end = p + utf8.size();
    const bool crLfStandIn = standIn == "\r\n";
    const char singleStandIn = standIn.size() == 1 ? standIn[0] : 0;
    while (p < end) {
        if (crLfStandIn && *p == '\r' && p + 1 < end && p[1] == '\n') {
            out.append(QChar(LineSeparatorUnit));
            p += 2;
            continue;
        }
        if (singleStandIn && *p == uchar(singleStandIn)) {
            // A CR that is half of a CR LF is not the stand-in CR.
            if (!(singleStandIn == '\r' && p + 1 < end && p[1] == '\n')) {
                out.append(QChar(LineSeparatorUnit));
                ++p;
                continue;
            }
        }
        const uint u = nextCodePoint(p, end);
        if (u >= 0x10000) {
            out.append(QChar::highSurrogate(u));
            out.append(QChar::lowSurrogate(u));
        } else {
            out.append(QChar(char16_t(u)));
        }
    }
    return out;
}

QByteArray latin1ToUtf8(QByteArrayView bytes)
{
    QByteArray out;
    out.reserve(bytes.size() + bytes.size() / 16);
    for (char c : bytes) {
        const uchar b = uchar(c);
        if (b < 0x80) {
            out.append(c);
        } else {
            out.append(char(0xC0 | (b >> 6)));
            out.append(char(0x80 | (b & 0x3F)));
        }
    }
    return out;
}

QByteArray utf8ToLatin1(QByteArrayView utf8)
{
    QByteArray out;
    out.reserve(utf8.size());
    const auto *begin = reinterpret_cast<const uchar *>(utf8.data());
    const auto *p = begin;
    const auto *end = p + utf8.size();
    while (p < end) {
        const uchar *at = p;
        const uint u = nextCodePoint(p, end);
        if (u > 0xFF)
            throwUnrepresentable(u, lineOf(utf8, at - begin));
        out.append(char(u));
    }
    return out;
}

// The line end that can hold U+2028 breaks in the control without being mistaken
// for one of the file's own breaks, also when it meets them (an LF after a CR
// break, a CR before an LF break would fuse into CR LF).
QByteArray chooseStandIn(const BreakCounts &counts)
{
    if (counts.separator == 0)
        return {};
    // A lone LF would be read back as a separator also where it ends a CR LF of
    // the file; a lone CR is told apart from the CR of a CR LF.
    if (counts.cr == 0 && counts.lf == 0)
        return counts.crLf == 0 ? QByteArrayLiteral("\n") : QByteArrayLiteral("\r");
    if (counts.crLf == 0)
        return QByteArrayLiteral("\r\n");
    return {};
}

} // namespace

bool isWellFormedUtf8(QByteArrayView bytes)
{
    const auto *p = reinterpret_cast<const uchar *>(bytes.data());
    const auto *end = p + bytes.size();
    while (p < end) {
        // Runs of ASCII are by far the most common case.
        while (end - p >= 8) {
            quint64 block;
            memcpy(&block, p, 8);
            if (block & 0x8080808080808080ULL)
                break;
            p += 8;
        }
        if (p >= end)
            break;
        const uchar b = *p;
        if (b < 0x80) {
            ++p;
            continue;
        }
        int extra;
        uchar lo = 0x80, hi = 0xBF; // allowed range of the second byte
        if (b >= 0xC2 && b <= 0xDF) {
            extra = 1;
        } else if (b >= 0xE0 && b <= 0xEF) {
            extra = 2;
            if (b == 0xE0)
                lo = 0xA0; // overlong
            else if (b == 0xED)
                hi = 0x9F; // surrogates
        } else if (b >= 0xF0 && b <= 0xF4) {
            extra = 3;
            if (b == 0xF0)
                lo = 0x90; // overlong
            else if (b == 0xF4)
                hi = 0x8F; // above U+10FFFF
        } else {
            return false;
        }
        if (end - p <= extra)
            return false;
        if (p[1] < lo || p[1] > hi)
            return false;
        for (int k = 2; k <= extra; ++k) {
            if ((p[k] & 0xC0) != 0x80)
                return false;
        }
        p += extra + 1;
    }
    return true;
}

QByteArray ProgramForm::editorLineEnd() const
{
    if (lineBreak == LineSeparator)
        return separatorStandIn.isEmpty() ? QByteArrayLiteral("\r\n") : separatorStandIn;
    return lineBreak.toLatin1();
}

ProgramText decodeProgramFile(const QByteArray &bytes)
{
    const Detected d = detect(bytes);
    const QString text = decodeString(bytes, d);
    const bool separatorBreaks = isUtf16(d.encoding);

    ProgramText result;
    result.encoding = d.encoding;
    result.utf8ByteOrderMark = d.encoding == ProgramEncoding::Utf8 && d.markLength == 3;
    BreakCounts counts;
    const qsizetype n = text.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text[i].unicode();
        const QString *brk = nullptr;
        qsizetype next = i + 1;
        if (c == '\r') {
            if (i + 1 < n && text[i + 1] == QLatin1Char('\n')) {
                brk = &CrLf;
                next = i + 2;
                counts.add(0);
            } else {
                brk = &Cr;
                counts.add(2);
            }
        } else if (c == '\n') {
            brk = &Lf;
            counts.add(1);
        } else if (separatorBreaks && c == LineSeparatorUnit) {
            brk = &LineSeparator;
            counts.add(3);
        }
        if (!brk)
            continue;
        result.lines.append(text.sliced(start, i - start));
        result.breaks.append(*brk);
        start = next;
        i = next - 1;
    }
    result.lines.append(text.sliced(start));
    result.breaks.append(QString());
    result.lineBreak = counts.dominant();
    return result;
}

QByteArray encodeProgramFile(const ProgramText &text)
{
    qsizetype size = 0;
    for (const QString &line : text.lines)
        size += line.size() + 2;
    QString joined;
    joined.reserve(size);
    const qsizetype n = text.lines.size();
    for (qsizetype i = 0; i < n; ++i) {
        joined.append(text.lines[i]);
        if (i + 1 < n) {
            const bool own = i < text.breaks.size() && !text.breaks[i].isEmpty();
            if (own)
                joined.append(text.breaks[i]);
            else if (text.lineBreak == QLatin1String("\n") && joined.endsWith(QLatin1Char('\r')))
                joined.append(QLatin1Char('\r')); // an LF would join that CR into one CR LF
            else
                joined.append(text.lineBreak);
        }
    }
    return encodeString(joined, text.encoding, text.utf8ByteOrderMark);
}

QByteArray readFileBytes(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        throw Error(QStringLiteral("file not found: %1").arg(path));
    if (info.isDir())
        throw Error(QStringLiteral("not a file: %1").arg(path));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("cannot open %1: %2").arg(path, file.errorString()));
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw Error(QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
    return bytes;
}

void writeFileBytes(const QString &path, const QByteArray &bytes)
{
    QString reason;
    if (!SafeFile::write(path, bytes, &reason))
        throw Error(QStringLiteral("cannot write %1: %2").arg(path, reason));
}

ProgramText readProgramFile(const QString &path) { return decodeProgramFile(readFileBytes(path)); }

void writeProgramFile(const QString &path, const ProgramText &text)
{
    writeFileBytes(path, encodeProgramFile(text));
}

ProgramText newProgramText()
{
    ProgramText text;
    text.lines = QStringList{QString()};
    text.breaks = {QString()};
    text.encoding = newProgramForm().encoding;
    text.lineBreak = CrLf;
    return text;
}

ProgramForm newProgramForm()
{
    ProgramForm form;
#ifdef Q_OS_WIN
    form.encoding = ProgramEncoding::SystemCodePage;
#else
    form.encoding = ProgramEncoding::Utf8;
#endif
    form.lineBreak = CrLf;
    return form;
}

ProgramDocument decodeProgramDocument(QByteArray bytes)
{
    const Detected d = detect(bytes);
    ProgramDocument doc;
    doc.form.encoding = d.encoding;
    switch (d.encoding) {
    case ProgramEncoding::Utf8:
        doc.form.lineBreak = countBreaks(bytes, false).dominant();
        doc.form.utf8ByteOrderMark = d.markLength == 3;
        if (d.markLength)
            doc.utf8 = bytes.sliced(d.markLength);
        else
            doc.utf8 = std::move(bytes);
        break;
    case ProgramEncoding::Latin1:
        doc.form.lineBreak = countBreaks(bytes, false).dominant();
        doc.utf8 = latin1ToUtf8(bytes);
        break;
    case ProgramEncoding::Utf16LE:
    case ProgramEncoding::Utf16BE:
    case ProgramEncoding::SystemCodePage: {
        QString text = decodeString(bytes, d);
        bytes = QByteArray();
        const BreakCounts counts = countBreaks(text, isUtf16(d.encoding));
        doc.form.lineBreak = counts.dominant();
        doc.form.separatorStandIn = chooseStandIn(counts);
        if (!doc.form.separatorStandIn.isEmpty())
            text.replace(QChar(LineSeparatorUnit), QString::fromLatin1(doc.form.separatorStandIn));
        doc.utf8 = utf16ToEditorUtf8(text);
        break;
    }
    }
    return doc;
}

QByteArray encodeProgramDocument(QByteArrayView utf8, const ProgramForm &form)
{
    switch (form.encoding) {
    case ProgramEncoding::Utf8: {
        QByteArray out;
        out.reserve(utf8.size() + 3);
        if (form.utf8ByteOrderMark)
            out.append("\xEF\xBB\xBF");
        out.append(utf8);
        return out;
    }
    case ProgramEncoding::Latin1:
        return utf8ToLatin1(utf8);
    case ProgramEncoding::Utf16LE:
    case ProgramEncoding::Utf16BE:
        return encodeUtf16LE(editorUtf8ToUtf16(utf8, form.separatorStandIn));
    case ProgramEncoding::SystemCodePage:
        break;
    }
    return encodeSystem(editorUtf8ToUtf16(utf8, QByteArray()));
}

ProgramDocument readProgramDocument(const QString &path) { return decodeProgramDocument(readFileBytes(path)); }
