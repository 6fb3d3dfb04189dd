#include "ReceivedProgram.h"

namespace ReceivedProgram {

QByteArray storedBytes(const ProgramSplitter::Program &program, bool strip)
{
    if (!strip)
        return program.bytes;
    const qint64 end = program.closingPercent >= 0 ? program.closingPercent + 1 : program.contentEnd;
    QByteArray out;
    out.reserve(int(end - program.start));
    for (qint64 i = program.start; i < end && i < program.bytes.size(); ++i) {
        const char c = program.bytes.at(i);
        if (c != 0)
            out.append(c);
    }
    return out;
}

bool hasContent(const QByteArray &bytes)
{
    for (const char c : bytes)
        if (!ProgramSplitter::isLeaderByte(c) && c != '%')
            return true;
    return false;
}

QString programNumber(const QByteArray &bytes)
{
    int i = 0;
    const int n = bytes.size();
    // Skip leader, "%" and blocks that hold only a comment.
    for (;;) {
        while (i < n && (ProgramSplitter::isLeaderByte(bytes.at(i)) || bytes.at(i) == '%'))
            ++i;
        if (i < n && bytes.at(i) == '(') {
            while (i < n && bytes.at(i) != ')' && bytes.at(i) != '\n' && bytes.at(i) != '\r')
                ++i;
            if (i < n && bytes.at(i) == ')')
                ++i;
            continue;
        }
        break;
    }
    if (i >= n)
        return QString();
    const char letter = bytes.at(i);
    if (letter != 'O' && letter != 'o' && letter != ':')
        return QString();
    ++i;
    while (i < n && bytes.at(i) == ' ')
        ++i;
    QString digits;
    while (i < n && bytes.at(i) >= '0' && bytes.at(i) <= '9' && digits.size() < 9)
        digits.append(QLatin1Char(bytes.at(i++)));
    if (digits.isEmpty() || (i < n && bytes.at(i) >= '0' && bytes.at(i) <= '9'))
        return QString(); // no digits, or a number too long to be a program number
    return QLatin1Char('O') + digits;
}

QString unsafeNameReason(const QString &name)
{
    if (name.isEmpty())
        return QStringLiteral("the name is empty");
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        return QStringLiteral("\".\" and \"..\" name folders");
    for (const QChar c : name) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\'))
            return QStringLiteral("it holds a path separator");
        if (c.unicode() < 32 || QStringLiteral(":*?\"<>|").contains(c))
            return QStringLiteral("it holds the character \"%1\", which file names may not hold")
                .arg(c.unicode() < 32 ? QStringLiteral("#%1").arg(c.unicode()) : QString(c));
    }
    if (name.endsWith(QLatin1Char(' ')) || name.endsWith(QLatin1Char('.')) || name.startsWith(QLatin1Char(' ')))
        return QStringLiteral("it begins with a blank or ends with a blank or a dot");
    return QString();
}

Naming nameFor(const QString &number, const QString &pattern, const QString &extension,
               const QDateTime &receivedAt)
{
    Naming n;
    if (number.isEmpty()) {
        const QString stem = QStringLiteral("PROGRAM-") + receivedAt.toString(QStringLiteral("yyyyMMdd-HHmmss"));
        n.fileName = stem + extension;
        if (const QString why = unsafeNameReason(n.fileName); !why.isEmpty()) {
            n.problem = QStringLiteral("the extension \"%1\" gives an unsafe name: %2").arg(extension, why);
            n.fileName = stem + QStringLiteral(".nc");
        }
        return n;
    }
    const QString stem = pattern.contains(QLatin1String("%1")) ? QString(pattern).replace(QLatin1String("%1"), number) : number;
    n.fileName = stem + extension;
    if (const QString why = unsafeNameReason(n.fileName); !why.isEmpty()) {
        n.problem = QStringLiteral("the name pattern \"%1\" with the extension \"%2\" gives an unsafe name: %3")
                        .arg(pattern, extension, why);
        n.fileName = number + QStringLiteral(".nc");
    }
    return n;
}

} // namespace ReceivedProgram
