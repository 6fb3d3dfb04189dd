// The file-form decoder and encoder on arbitrary bytes: a file read and written
// back unchanged must give its own bytes again (a big-endian UTF-16 file comes
// back little-endian), both as lines and as the editor's buffer.
#include "FuzzSupport.h"

#include "editor/ProgramFile.h"
#include "platform/Error.h"

namespace {

// The UTF-8 rules of the standard's table of well-formed byte sequences,
// written out independently of the product's fast check.
bool referenceWellFormed(const QByteArray &bytes)
{
    const auto *p = reinterpret_cast<const uchar *>(bytes.constData());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        const uchar b = p[i];
        int extra = 0;
        uchar lo = 0x80, hi = 0xBF;
        if (b <= 0x7F) {
            ++i;
            continue;
        } else if (b >= 0xC2 && b <= 0xDF) {
            extra = 1;
        } else if (b == 0xE0) {
            extra = 2, lo = 0xA0;
        } else if ((b >= 0xE1 && b <= 0xEC) || b == 0xEE || b == 0xEF) {
            extra = 2;
        } else if (b == 0xED) {
            extra = 2, hi = 0x9F;
        } else if (b == 0xF0) {
            extra = 3, lo = 0x90;
        } else if (b >= 0xF1 && b <= 0xF3) {
            extra = 3;
        } else if (b == 0xF4) {
            extra = 3, hi = 0x8F;
        } else {
            return false;
        }
        if (i + extra >= n)
            return false;
        if (p[i + 1] < lo || p[i + 1] > hi)
            return false;
        for (int k = 2; k <= extra; ++k)
            if (p[i + k] < 0x80 || p[i + k] > 0xBF)
                return false;
        i += extra + 1;
    }
    return true;
}

// What writing back an unchanged file gives: the same bytes, except that
// UTF-16 is always written little-endian.
QByteArray expectedBack(const QByteArray &bytes, ProgramEncoding encoding)
{
    if (encoding != ProgramEncoding::Utf16BE)
        return bytes;
    QByteArray out = bytes;
    for (qsizetype i = 0; i + 1 < out.size(); i += 2)
        std::swap(out[i], out[i + 1]);
    return out;
}

QString describe(const QByteArray &in, const QByteArray &out)
{
    return QStringLiteral("in  %1\nout %2").arg(escaped(in), escaped(out));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = bytesOf(data, size);
    FUZZ_CHECK(isWellFormedUtf8(bytes) == referenceWellFormed(bytes), escaped(bytes));

    ProgramText text = decodeProgramFile(bytes);
    const QByteArray expected = expectedBack(bytes, text.encoding);
    try {
        const QByteArray out = encodeProgramFile(text);
        FUZZ_CHECK(out == expected, QStringLiteral("lines: ") + describe(bytes, out));
    } catch (const Error &e) {
        FUZZ_CHECK(false, QStringLiteral("lines: ") + e.message() + QLatin1Char('\n') + escaped(bytes));
    }

    const ProgramDocument doc = decodeProgramDocument(bytes);
    FUZZ_CHECK(doc.form.encoding == text.encoding, escaped(bytes));
    FUZZ_CHECK(doc.form.lineBreak == text.lineBreak, escaped(bytes));
    FUZZ_CHECK(doc.form.utf8ByteOrderMark == text.utf8ByteOrderMark, escaped(bytes));
    try {
        const QByteArray out = encodeProgramDocument(doc.utf8, doc.form);
        FUZZ_CHECK(out == expected, QStringLiteral("document: ") + describe(bytes, out));
    } catch (const Error &e) {
        FUZZ_CHECK(false, QStringLiteral("document: ") + e.message() + QLatin1Char('\n') + escaped(bytes));
    }

    // A line added at the end gets the file's break and reads back as written.
    // (An 8-bit file that happens to begin with the bytes of a UTF-16 mark is
    // read as UTF-16 once its length is even; such a file is not a program.)
    if (text.encoding == ProgramEncoding::Latin1 && bytes.size() >= 2
        && ((uchar(bytes[0]) == 0xFF && uchar(bytes[1]) == 0xFE) || (uchar(bytes[0]) == 0xFE && uchar(bytes[1]) == 0xFF)))
        return 0;
    text.lines.append(QStringLiteral("N10 G1 X1"));
    try {
        const ProgramText again = decodeProgramFile(encodeProgramFile(text));
        FUZZ_CHECK(again.lines == text.lines, QStringLiteral("added line: ") + escaped(bytes));
    } catch (const Error &e) {
        FUZZ_CHECK(false, QStringLiteral("added line: ") + e.message() + QLatin1Char('\n') + escaped(bytes));
    }
    return 0;
}
