#include "GoToTarget.h"

#include <cstring>

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

QString withoutLeadingZeros(const QString &digits)
{
    qsizetype i = 0;
    while (i + 1 < digits.size() && digits.at(i) == QLatin1Char('0'))
        ++i;
    return digits.mid(i);
}

// Whether the line [begin, end) starts with the N word of these digits.
bool blockHasNumber(const char *p, const char *end, const QByteArray &digits)
{
    while (p < end && isBlank(*p))
        ++p;
    if (p < end && *p == '/') {
        ++p;
        if (p < end && isDigit(*p))
            ++p;
        while (p < end && isBlank(*p))
            ++p;
    }
    if (p >= end || (*p != 'N' && *p != 'n'))
        return false;
    ++p;
    while (p < end && isBlank(*p))
        ++p;
    if (p >= end || !isDigit(*p))
        return false;
    while (p + 1 < end && *p == '0' && isDigit(p[1]))
        ++p;
    const char *start = p;
    while (p < end && isDigit(*p))
        ++p;
    return p - start == digits.size() && std::memcmp(start, digits.constData(), size_t(digits.size())) == 0;
}

} // namespace

GoToTarget parseGoToTarget(const QString &text)
{
    GoToTarget target;
    QString t = text.simplified().remove(QLatin1Char(' '));
    if (t.startsWith(QLatin1Char('N'), Qt::CaseInsensitive)) {
        target.kind = GoToTarget::Block;
        t.remove(0, 1);
    } else {
        target.kind = GoToTarget::Line;
    }
    if (t.isEmpty())
        return GoToTarget();
    for (const QChar c : t) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return GoToTarget();
    }
    target.number = withoutLeadingZeros(t);
    if (target.kind == GoToTarget::Line && target.number == QLatin1String("0"))
        return GoToTarget();
    return target;
}

long findBlockNumberLine(QByteArrayView text, const QString &digits)
{
    const QByteArray wanted = digits.toLatin1();
    const char *p = text.data();
    const char *const end = p + text.size();
    long line = 0;
    while (true) {
        const char *lineEnd = p;
        while (lineEnd < end && *lineEnd != '\n' && *lineEnd != '\r')
            ++lineEnd;
        if (blockHasNumber(p, lineEnd, wanted))
            return line;
        if (lineEnd >= end)
            return -1;
        p = lineEnd + ((*lineEnd == '\r' && lineEnd + 1 < end && lineEnd[1] == '\n') ? 2 : 1);
        ++line;
    }
}
