#include "HelpPages.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <algorithm>

namespace HelpPages {

namespace {

QString decodeEntities(const QString &text)
{
    static const QRegularExpression entity(QStringLiteral("&(#[0-9]+|#[xX][0-9a-fA-F]+|[a-zA-Z]+);"));
    QString out;
    out.reserve(text.size());
    qsizetype last = 0;
    for (auto it = entity.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        out += QStringView(text).mid(last, m.capturedStart() - last);
        last = m.capturedEnd();
        const QString name = m.captured(1);
        char32_t code = 0;
        if (name.startsWith(QLatin1String("#x")) || name.startsWith(QLatin1String("#X")))
            code = name.mid(2).toUInt(nullptr, 16);
        else if (name.startsWith(QLatin1Char('#')))
            code = name.mid(1).toUInt();
        else if (name == QLatin1String("amp"))
            code = '&';
        else if (name == QLatin1String("lt"))
            code = '<';
        else if (name == QLatin1String("gt"))
            code = '>';
        else if (name == QLatin1String("quot"))
            code = '"';
        else if (name == QLatin1String("apos"))
            code = '\'';
        else if (name == QLatin1String("nbsp"))
            code = ' ';
        if (code == 0 || code > 0x10FFFF)
            out += m.captured(0); // unknown: shown as written
        else
            out += QString::fromUcs4(&code, 1);
    }
    out += QStringView(text).mid(last);
    return out;
}

QString readPage(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(f.readAll());
}

int countOf(const QString &haystack, const QString &needle)
{
    int n = 0;
    for (qsizetype at = haystack.indexOf(needle); at >= 0; at = haystack.indexOf(needle, at + needle.size()))
        ++n;
    return n;
}

// Folds letter by letter and notes, for each folded character, where its letter
// stands in `text`, so that a match in the folded text points back into the page.
QString foldWithPlaces(const QString &text, QList<qsizetype> *places)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype len = (text.at(i).isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
        const QString folded = text.mid(i, len).toCaseFolded().normalized(QString::NormalizationForm_KD);
        for (QChar c : folded) {
            if (c.category() == QChar::Mark_NonSpacing)
                continue;
            out += c;
            if (places)
                places->append(i);
        }
        i += len;
    }
    return out;
}

} // namespace

QString title(const QString &html)
{
    static const QRegularExpression re(QStringLiteral("<title[^>]*>(.*?)</title>"),
                                       QRegularExpression::CaseInsensitiveOption
                                           | QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch m = re.match(html);
    return m.hasMatch() ? decodeEntities(m.captured(1)).simplified() : QString();
}

QString plainText(const QString &html)
{
    static const QRegularExpression hidden(
        QStringLiteral("<(head|nav|script|style)\\b.*?</\\1\\s*>|<!--.*?-->"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
    QString text = html;
    text.remove(hidden);
    text.replace(tag, QStringLiteral(" "));
    return decodeEntities(text).simplified();
}

QString foldForSearch(const QString &text) { return foldWithPlaces(text, nullptr); }

QList<Hit> search(const QString &folder, const QString &query)
{
    const QStringList words = foldForSearch(query).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QList<Hit> hits;
    if (words.isEmpty())
        return hits;
    const QDir dir(folder);
    const QStringList pages = dir.entryList({QStringLiteral("*.html"), QStringLiteral("*.htm")}, QDir::Files, QDir::Name);
    for (const QString &name : pages) {
        const QString html = readPage(dir.filePath(name));
        const QString text = plainText(html);
        QList<qsizetype> places;
        const QString folded = foldWithPlaces(text, &places);
        int matches = 0;
        bool all = true;
        for (const QString &w : words) {
            const int n = countOf(folded, w);
            if (n == 0) {
                all = false;
                break;
            }
            matches += n;
        }
        if (!all)
            continue;
        Hit hit;
        hit.path = dir.filePath(name);
        hit.title = title(html);
        if (hit.title.isEmpty())
            hit.title = name;
        hit.matches = matches;
        const qsizetype at = places.at(folded.indexOf(words.first()));
        qsizetype from = std::max<qsizetype>(0, at - 60);
        // From the start of a word.
        while (from > 0 && from < at && !text.at(from - 1).isSpace())
            ++from;
        QString excerpt = text.mid(from, 160).simplified();
        if (from > 0)
            excerpt.prepend(QStringLiteral("… "));
        if (from + 160 < text.size())
            excerpt.append(QStringLiteral(" …"));
        hit.excerpt = excerpt;
        hits << hit;
    }
    std::stable_sort(hits.begin(), hits.end(), [](const Hit &a, const Hit &b) {
        if (a.matches != b.matches)
            return a.matches > b.matches;
        return a.title.localeAwareCompare(b.title) < 0;
    });
    return hits;
}

} // namespace HelpPages
