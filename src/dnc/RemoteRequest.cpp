#include "RemoteRequest.h"

#include "ReceivedProgram.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace RemoteRequest {

Request parse(const QByteArray &program)
{
    Request r;
    if (ReceivedProgram::programNumber(program).compare(RequestNumber, Qt::CaseInsensitive) != 0)
        return r;
    // Latin-1 keeps every byte one character, so nothing in the comment is lost.
    static const QRegularExpression req(QStringLiteral("\\(\\s*REQ\\s+([^)\\r\\n]*)\\)"),
                                        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = req.match(QString::fromLatin1(program));
    if (!m.hasMatch())
        return r;
    r.isRequest = true;
    r.wanted = m.captured(1).trimmed();
    static const QRegularExpression isoNumber(QStringLiteral("^:[0-9]{1,9}$"));
    if (r.wanted.isEmpty())
        r.refusal = QStringLiteral("the request names no program");
    else if (isoNumber.match(r.wanted).hasMatch())
        ; // ":1234", the ISO form of O1234
    else if (QDir::isAbsolutePath(r.wanted) || r.wanted.contains(QLatin1Char('/')) || r.wanted.contains(QLatin1Char('\\'))
             || (r.wanted.size() >= 2 && r.wanted.at(1) == QLatin1Char(':')))
        r.refusal = QStringLiteral("the name \"%1\" is a path; only a program of the machine's folder may be asked for").arg(r.wanted);
    else if (r.wanted == QLatin1String("..") || r.wanted == QLatin1String("."))
        r.refusal = QStringLiteral("the name \"%1\" names a folder").arg(r.wanted);
    else if (const QString why = ReceivedProgram::unsafeNameReason(r.wanted); !why.isEmpty())
        r.refusal = QStringLiteral("the name \"%1\" cannot be a file name: %2").arg(r.wanted, why);
    return r;
}

QString findProgram(const QString &folder, const QString &wanted, const QString &extension)
{
    static const QRegularExpression number(QStringLiteral("^[O:]?\\s*([0-9]{1,9})$"), QRegularExpression::CaseInsensitiveOption);
    const QDir dir(folder);
    const QFileInfoList files = dir.entryInfoList(QDir::Files | QDir::Readable, QDir::Name);
    auto plainFile = [](const QFileInfo &f) { return !f.fileName().startsWith(QLatin1Char('.')); };
    const QRegularExpressionMatch m = number.match(wanted);
    if (m.hasMatch()) {
        const QString stem = QLatin1Char('O') + m.captured(1);
        for (const QFileInfo &f : files)
            if (plainFile(f) && f.fileName().compare(stem + extension, Qt::CaseInsensitive) == 0)
                return f.absoluteFilePath();
        for (const QFileInfo &f : files)
            if (plainFile(f) && f.completeBaseName().compare(stem, Qt::CaseInsensitive) == 0)
                return f.absoluteFilePath();
        // The number as the file's full name ("O1234" without an extension, or "1234.nc").
        for (const QFileInfo &f : files)
            if (plainFile(f) && (f.fileName().compare(stem, Qt::CaseInsensitive) == 0
                                 || f.completeBaseName() == m.captured(1)))
                return f.absoluteFilePath();
    }
    if (wanted.contains(QLatin1Char('/')) || wanted.contains(QLatin1Char('\\')) || wanted.contains(QLatin1String("..")))
        return QString();
    for (const QFileInfo &f : files)
        if (plainFile(f) && f.fileName().compare(wanted, Qt::CaseInsensitive) == 0)
            return f.absoluteFilePath();
    return QString();
}

QByteArray notFoundAnswer(const QString &wanted)
{
    // Only what every control reads inside a comment: letters, digits and a few marks.
    QString shown;
    for (const QChar c : wanted.toUpper())
        if ((c >= QLatin1Char('A') && c <= QLatin1Char('Z')) || c.isDigit() || QStringLiteral(" .-_").contains(c))
            shown.append(c);
    shown = shown.left(24).trimmed();
    const QString comment = shown.isEmpty() ? QStringLiteral("(NOT FOUND)") : QStringLiteral("(NOT FOUND %1)").arg(shown);
    return QStringLiteral("%\r\n%1\r\n%2\r\nM30\r\n%\r\n").arg(RequestNumber, comment).toLatin1();
}

} // namespace RemoteRequest
