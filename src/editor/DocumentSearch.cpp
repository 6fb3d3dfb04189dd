#include "DocumentSearch.h"

#include "lang/Texts.h"
#include "platform/Error.h"

#include <algorithm>
#include <vector>

namespace {

inline bool isBreak(char c) { return c == '\n' || c == '\r'; }

qsizetype lineStartAt(QByteArrayView text, qsizetype pos)
{
    while (pos > 0 && !isBreak(text[pos - 1]))
        --pos;
    return pos;
}

qsizetype lineEndAt(QByteArrayView text, qsizetype pos)
{
    const char *data = text.data();
    const qsizetype size = text.size();
    while (pos < size && !isBreak(data[pos]))
        ++pos;
    return pos;
}

// Start of the line after the one ending at `lineEnd`, or -1 after the last line.
qsizetype nextLineStart(QByteArrayView text, qsizetype lineEnd)
{
    if (lineEnd >= text.size())
        return -1;
    if (text[lineEnd] == '\r' && lineEnd + 1 < text.size() && text[lineEnd + 1] == '\n')
        return lineEnd + 2;
    return lineEnd + 1;
}

// End of the line before the one starting at `lineStart` (> 0).
qsizetype previousLineEnd(QByteArrayView text, qsizetype lineStart)
{
    qsizetype end = lineStart - 1;
    if (text[end] == '\n' && end > 0 && text[end - 1] == '\r')
        --end;
    return end;
}

// A line as the regular expression engine reads it, with the way back from its
// UTF-16 units to the document's bytes. Malformed bytes read as U+FFFD each, so
// that the text handed to the engine is always well-formed.
class DecodedLine
{
public:
    explicit DecodedLine(QByteArrayView bytes)
    {
        const auto *p = reinterpret_cast<const uchar *>(bytes.data());
        const qsizetype n = bytes.size();
        if (std::all_of(p, p + n, [](uchar c) { return c < 0x80; })) {
            m_text = QString::fromLatin1(bytes);
            return;
        }
        m_text.reserve(n);
        m_byteOfUnit.reserve(size_t(n) + 1);
        qsizetype i = 0;
        while (i < n) {
            const uchar b = p[i];
            int extra = (b >= 0xC2 && b <= 0xDF) ? 1 : (b >= 0xE0 && b <= 0xEF) ? 2 : (b >= 0xF0 && b <= 0xF4) ? 3 : 0;
            char32_t u = b;
            if (b >= 0x80) {
                bool ok = extra > 0 && n - i > extra;
                u = b & (0x3F >> extra);
                for (int k = 1; ok && k <= extra; ++k) {
                    ok = (p[i + k] & 0xC0) == 0x80;
                    u = (u << 6) | (p[i + k] & 0x3F);
                }
                const char32_t least = extra == 2 ? 0x800 : extra == 3 ? 0x10000 : 0x80;
                if (!ok || u < least || u > 0x10FFFF || (u >= 0xD800 && u <= 0xDFFF)) {
                    u = 0xFFFD;
                    extra = 0;
                }
            } else {
                extra = 0;
            }
            if (u > 0xFFFF) {
                m_text.append(QChar::highSurrogate(u));
                m_text.append(QChar::lowSurrogate(u));
                m_byteOfUnit.push_back(i);
                m_byteOfUnit.push_back(i); // never the start or end of a match
            } else {
                m_text.append(QChar(char16_t(u)));
                m_byteOfUnit.push_back(i);
            }
            i += extra + 1;
        }
        m_byteOfUnit.push_back(n);
    }

    const QString &text() const { return m_text; }
    qsizetype byteOf(qsizetype unit) const { return m_byteOfUnit.empty() ? unit : m_byteOfUnit[size_t(unit)]; }
    qsizetype unitOf(qsizetype byte) const
    {
        if (m_byteOfUnit.empty())
            return byte;
        return std::lower_bound(m_byteOfUnit.begin(), m_byteOfUnit.end(), byte) - m_byteOfUnit.begin();
    }

private:
    QString m_text;
    std::vector<qsizetype> m_byteOfUnit; // empty for an ASCII line; one past the end last
};

// 1-based number of the line starting at `lineStart`.
qsizetype lineNumberAt(QByteArrayView text, qsizetype lineStart)
{
    qsizetype line = 1;
    for (qsizetype i = 0; i < lineStart; ++i) {
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n')))
            ++line;
    }
    return line;
}

// Word characters as the plain search sees them: ASCII letters and digits, "_",
// and every non-ASCII character.
const QString WordClass = QStringLiteral("[0-9A-Za-z_\\x{80}-\\x{10FFFF}]");

} // namespace

DocumentSearch::DocumentSearch(const QString &pattern, bool matchCase, bool wholeWord, bool regularExpression)
    : m_pattern(pattern), m_isRegex(regularExpression), m_plain(regularExpression ? QByteArray() : pattern.toUtf8(),
                                                                 matchCase, wholeWord)
{
    if (!regularExpression || pattern.isEmpty())
        return;
    QRegularExpression::PatternOptions options = QRegularExpression::NoPatternOption;
    if (!matchCase)
        options |= QRegularExpression::CaseInsensitiveOption;
    QRegularExpression own(pattern, options);
    if (!own.isValid()) {
        m_error = own.errorString();
        m_errorOffset = own.patternErrorOffset();
        return;
    }
    if (wholeWord) {
        // The pattern inside a group that must not touch a word character; \E ends
        // a quotation the pattern may leave open.
        QRegularExpression bounded(QStringLiteral("(?<!%1)(?:%2\\E)(?!%1)").arg(WordClass, pattern), options);
        // A pattern that ends in an extended-syntax comment would take the group's
        // end into it; a line break ends the comment (and is no text in that syntax).
        if (!bounded.isValid())
            bounded.setPattern(QStringLiteral("(?<!%1)(?:%2\n\\E)(?!%1)").arg(WordClass, pattern));
        if (!bounded.isValid()) {
            m_error = bounded.errorString();
            m_errorOffset = std::clamp<qsizetype>(bounded.patternErrorOffset() - WordClass.size() - 8, 0, pattern.size());
            return;
        }
        own = bounded;
    }
    own.optimize();
    m_regex = own;
}

bool DocumentSearch::isValid() const { return !m_pattern.isEmpty() && (!m_isRegex || m_regex.has_value()); }

bool DocumentSearch::forEachInLine(QByteArrayView text, qsizetype lineStart, qsizetype lineEnd, qsizetype from,
                                   qsizetype to, bool emptyAtFrom, bool emptyAtTo, const Visit &visit) const
{
    const DecodedLine line(text.sliced(lineStart, lineEnd - lineStart));
    const QString &subject = line.text();
    const qsizetype units = subject.size();
    qsizetype pos = line.unitOf(std::max(from, lineStart) - lineStart);
    // The engine is given the whole line, so that ^, $ and look-behinds see the
    // text around `from`.
    bool emptyHere = emptyAtFrom || lineStart + line.byteOf(pos) != from;
    for (;;) {
        const QRegularExpressionMatch m = m_regex->match(subject, pos, QRegularExpression::NormalMatch,
                                                         QRegularExpression::DontCheckSubjectStringMatchOption);
        if (!m.isValid()) {
            // The engine gave up (its backtracking outgrew the room it is given):
            // that is no answer, and certainly not "not found".
            throw Error(Texts::extra("Extra.PatternTooComplex")
                            .arg(m_pattern, QString::number(lineNumberAt(text, lineStart))));
        }
        if (!m.hasMatch())
            return true;
        const qsizetype s = m.capturedStart(), e = m.capturedEnd();
        if (s == e && s == pos && !emptyHere) {
            if (pos >= units)
                return true;
            pos += (subject.at(pos).isHighSurrogate() && pos + 1 < units) ? 2 : 1;
            emptyHere = true;
            continue;
        }
        const qsizetype start = lineStart + line.byteOf(s), end = lineStart + line.byteOf(e);
        if (end > to || (s == e && start == to && !emptyAtTo))
            return true;
        if (start >= from && !visit(start, end, &m))
            return false;
        if (s == e) {
            if (e >= units)
                return true;
            pos = e + ((subject.at(e).isHighSurrogate() && e + 1 < units) ? 2 : 1);
            emptyHere = true;
        } else {
            // No empty match right where this one ended.
            pos = e;
            emptyHere = false;
        }
    }
}

void DocumentSearch::forEachPlain(QByteArrayView text, qsizetype from, qsizetype to, const Visit &visit) const
{
    auto byteAt = [&text](qsizetype at) { return at < 0 || at >= text.size() ? -1 : int(uchar(text[at])); };
    qsizetype pos = from;
    while (pos < to) {
        qsizetype length = 0;
        const qsizetype i = m_plain.findFirst(text.sliced(pos, to - pos), byteAt(pos - 1), byteAt(to), &length);
        if (i < 0)
            return;
        if (!visit(pos + i, pos + i + length, nullptr))
            return;
        pos += i + length;
    }
}

void DocumentSearch::forEachMatch(QByteArrayView text, qsizetype from, qsizetype to, bool emptyAtFrom,
                                  bool emptyAtTo, const Visit &visit) const
{
    if (!isValid() || from > to)
        return;
    if (!m_isRegex) {
        forEachPlain(text, from, to, visit);
        return;
    }
    qsizetype lineStart = lineStartAt(text, from);
    for (;;) {
        const qsizetype lineEnd = lineEndAt(text, lineStart);
        if (!forEachInLine(text, lineStart, lineEnd, from, to, emptyAtFrom, emptyAtTo, visit))
            return;
        lineStart = nextLineStart(text, lineEnd);
        if (lineStart < 0 || lineStart > to)
            return;
    }
}

DocumentSearch::Match DocumentSearch::findForward(QByteArrayView text, qsizetype from, qsizetype scopeEnd,
                                                  bool emptyAtFrom) const
{
    Match found;
    forEachMatch(text, from, scopeEnd, emptyAtFrom, true, [&](qsizetype s, qsizetype e, const QRegularExpressionMatch *m) {
        found.start = s;
        found.end = e;
        if (m)
            found.groups = m->capturedTexts();
        return false;
    });
    return found;
}

DocumentSearch::Match DocumentSearch::findBackward(QByteArrayView text, qsizetype scopeStart, qsizetype from,
                                                   bool emptyAtFrom) const
{
    Match found;
    if (!isValid() || from < scopeStart)
        return found;
    if (!m_isRegex) {
        auto byteAt = [&text](qsizetype at) { return at < 0 || at >= text.size() ? -1 : int(uchar(text[at])); };
        qsizetype length = 0;
        const qsizetype i = m_plain.findLast(text.sliced(scopeStart, from - scopeStart), byteAt(scopeStart - 1),
                                             byteAt(from), &length);
        if (i >= 0) {
            found.start = scopeStart + i;
            found.end = found.start + length;
        }
        return found;
    }
    // Line by line towards the start; within a line the last of its matches.
    qsizetype lineStart = lineStartAt(text, from);
    qsizetype lineEnd = lineEndAt(text, lineStart);
    for (;;) {
        const qsizetype lo = std::max(lineStart, scopeStart);
        const qsizetype hi = std::min(from, lineEnd);
        forEachInLine(text, lineStart, lineEnd, lo, hi, true, hi != from || emptyAtFrom,
                      [&](qsizetype s, qsizetype e, const QRegularExpressionMatch *m) {
                          found.start = s;
                          found.end = e;
                          found.groups = m->capturedTexts();
                          return true;
                      });
        if (found.found() || lineStart <= scopeStart)
            return found;
        lineEnd = previousLineEnd(text, lineStart);
        lineStart = lineStartAt(text, lineEnd);
    }
}

QList<DocumentSearch::Piece> DocumentSearch::parseReplacement(const QString &replace)
{
    QList<Piece> pieces;
    QString literal;
    for (qsizetype i = 0; i < replace.size(); ++i) {
        const QChar c = replace.at(i);
        if (c != QLatin1Char('\\') || i + 1 >= replace.size()) {
            literal += c;
            continue;
        }
        const QChar next = replace.at(i + 1);
        const char16_t escaped = next.unicode();
        if (next.isDigit() && escaped <= '9') {
            if (!literal.isEmpty())
                pieces.append({literal, -1});
            literal.clear();
            pieces.append({QString(), escaped - '0'});
        } else {
            switch (escaped) {
            case '\\': literal += QLatin1Char('\\'); break;
            case 'n': literal += QLatin1Char('\n'); break;
            case 'r': literal += QLatin1Char('\r'); break;
            case 't': literal += QLatin1Char('\t'); break;
            case 'a': literal += QLatin1Char('\a'); break;
            case 'b': literal += QLatin1Char('\b'); break;
            case 'f': literal += QLatin1Char('\f'); break;
            case 'v': literal += QLatin1Char('\v'); break;
            default: literal += c; continue; // a lone backslash stays
            }
        }
        ++i;
    }
    if (!literal.isEmpty())
        pieces.append({literal, -1});
    return pieces;
}

QByteArray DocumentSearch::replacementFor(const Match &match, const QString &replace) const
{
    if (!m_isRegex)
        return replace.toUtf8();
    QString out;
    for (const Piece &piece : parseReplacement(replace))
        out += piece.group < 0 ? piece.text : match.groups.value(piece.group);
    return out.toUtf8();
}

DocumentSearch::Block DocumentSearch::replaceAll(QByteArrayView text, qsizetype from, qsizetype to, bool emptyAtFrom,
                                                 bool emptyAtTo, const QString &replace) const
{
    Block block;
    const QByteArray constant = replace.toUtf8();
    const QList<Piece> pieces = m_isRegex ? parseReplacement(replace) : QList<Piece>();
    const bool literalOnly = std::all_of(pieces.begin(), pieces.end(), [](const Piece &p) { return p.group < 0; });
    QByteArray literal;
    for (const Piece &p : pieces)
        literal += p.text.toUtf8();
    qsizetype last = -1;
    forEachMatch(text, from, to, emptyAtFrom, emptyAtTo, [&](qsizetype s, qsizetype e, const QRegularExpressionMatch *m) {
        if (last < 0) {
            block.start = s;
            // Most of the span is usually kept text.
            block.text.reserve(to - s);
        } else {
            block.text.append(text.sliced(last, s - last));
        }
        const qsizetype offset = block.text.size();
        if (!m) {
            block.text.append(constant);
        } else if (literalOnly) {
            block.text.append(literal);
        } else {
            QString out;
            for (const Piece &piece : pieces)
                out += piece.group < 0 ? piece.text : m->captured(piece.group);
            block.text.append(out.toUtf8());
        }
        block.lastOffset = offset;
        block.lastLength = block.text.size() - offset;
        if (block.count == 0)
            block.firstLength = block.lastLength;
        last = e;
        ++block.count;
        return true;
    });
    block.end = last < 0 ? block.start : last;
    block.text.squeeze();
    return block;
}

QString invalidPatternText(const QString &pattern, const DocumentSearch &search)
{
    if (search.patternError().isEmpty())
        return QString();
    return Texts::extra("Extra.InvalidPattern")
        .arg(pattern, search.patternError(), QString::number(search.patternErrorOffset() + 1));
}
