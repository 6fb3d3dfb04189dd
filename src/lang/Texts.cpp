#include "Texts.h"

#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <array>

namespace {

constexpr int LanguageCount = 5;

struct Row
{
    QString key;
    std::array<QString, LanguageCount> texts;
    std::array<bool, LanguageCount> present{};
};

struct Catalog
{
    QList<Row> keys;
    QList<Row> extras;
    QHash<QString, int> keyIndex;
    QHash<QString, int> extraIndex;
};

// One field: a text between an opening and a closing double quote (inner quotes
// are part of the text), or a lone dash for "this language has no text".
bool parseField(const QString &field, QString *text, bool *present)
{
    if (field == QLatin1String("-")) {
        *present = false;
        text->clear();
        return true;
    }
    if (field.size() < 2 || !field.startsWith(QLatin1Char('"')) || !field.endsWith(QLatin1Char('"')))
        return false;
    *present = true;
    *text = field.mid(1, field.size() - 2);
    return true;
}

Catalog loadCatalog()
{
    Catalog catalog;
    QFile file(QStringLiteral(":/lang/catalog.tsv"));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("The language catalog is missing from the program");
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    bool inExtras = false;
    for (QString line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line == QLatin1String("[extra]")) {
            inExtras = true;
            continue;
        }
        const QStringList fields = line.split(QLatin1Char('\t'));
        if (fields.size() != LanguageCount + 1)
            qFatal("Language catalog: bad row: %s", qPrintable(line));
        if (fields.at(0) == QLatin1String("key"))
            continue; // header
        Row row;
        row.key = fields.at(0);
        for (int i = 0; i < LanguageCount; ++i) {
            if (!parseField(fields.at(i + 1), &row.texts[i], &row.present[i]))
                qFatal("Language catalog: bad text in row %s", qPrintable(row.key));
        }
        if (inExtras) {
            catalog.extraIndex.insert(row.key, catalog.extras.size());
            catalog.extras.append(row);
        } else {
            catalog.keyIndex.insert(row.key, catalog.keys.size());
            catalog.keys.append(row);
        }
    }
    return catalog;
}

const Catalog &catalog()
{
    static const Catalog c = loadCatalog();
    return c;
}

QHash<QString, QString> &current()
{
    static QHash<QString, QString> texts;
    return texts;
}

// The language whose extra texts are shown: that of the last procedure that ran.
int &currentLanguage()
{
    static int language = -1;
    return language;
}

void assign(Texts::Language language)
{
    auto &texts = current();
    for (const Row &row : catalog().keys) {
        if (row.present[language])
            texts.insert(row.key, row.texts[language]);
    }
    currentLanguage() = language;
}

} // namespace

namespace Texts {

QString text(const QString &key) { return current().value(key); }

void FUNC_Textos_PTBR() { assign(PTBR); }
void FUNC_Textos_EN() { assign(EN); }
void FUNC_Textos_ES() { assign(ES); }
void FUNC_Textos_FR() { assign(FR); }
void FUNC_Textos_DE() { assign(DE); }

bool runLanguageProcedure(const QString &code)
{
    if (code == QLatin1String("PT-BR"))
        FUNC_Textos_PTBR();
    else if (code == QLatin1String("EN"))
        FUNC_Textos_EN();
    else if (code == QLatin1String("ES"))
        FUNC_Textos_ES();
    else if (code == QLatin1String("FR"))
        FUNC_Textos_FR();
    else if (code == QLatin1String("DE"))
        FUNC_Textos_DE();
    else
        return false;
    return true;
}

QStringList allKeys()
{
    QStringList keys;
    for (const Row &row : catalog().keys)
        keys.append(row.key);
    return keys;
}

QStringList applyWindowOrder()
{
    return {QStringLiteral("Form_Main"),
            QStringLiteral("Form_EDT2"),
            QStringLiteral("Form_EDT3"),
            QStringLiteral("Form_EDT4"),
            QStringLiteral("Form_EDT5"),
            QStringLiteral("Form_EDT7"),
            QStringLiteral("Form_MSG"),
            QStringLiteral("Form_EDT_COR"),
            QStringLiteral("Form_DIR"),
            QStringLiteral("Form_Transfer_FTP"),
            QStringLiteral("Form_Transfer_DIR"),
            QStringLiteral("Form_Transfer_SERIAL232"),
            QStringLiteral("Form_Font"),
            QStringLiteral("Form_Transfer_SERIAL232_R"),
            QStringLiteral("Form_Config"),
            QStringLiteral("Form_Maquinas"),
            QStringLiteral("Form_Selecionar_Maquina"),
            QStringLiteral("Form_Screen"),
            QStringLiteral("Form_EDT1"),
            QStringLiteral("Form_EDT_Progress")};
}

QStringList controlKeys()
{
    static const QStringList keys = [] {
        static const QRegularExpression message(QStringLiteral("\\.MSG\\d\\d$"));
        const QStringList windows = applyWindowOrder();
        QStringList result;
        for (const Row &row : catalog().keys) {
            const QString window = row.key.section(QLatin1Char('.'), 0, 0);
            if (windows.contains(window) && !message.match(row.key).hasMatch())
                result.append(row.key);
        }
        return result;
    }();
    return keys;
}

bool hasText(const QString &key, Language language)
{
    const int i = catalog().keyIndex.value(key, -1);
    return i >= 0 && catalog().keys.at(i).present[language];
}

QString catalogText(const QString &key, Language language)
{
    const int i = catalog().keyIndex.value(key, -1);
    return i >= 0 ? catalog().keys.at(i).texts[language] : QString();
}

QString extra(const QString &id)
{
    const int i = catalog().extraIndex.value(id, -1);
    const int language = currentLanguage();
    if (i < 0 || language < 0)
        return QString();
    const Row &row = catalog().extras.at(i);
    return row.present[language] ? row.texts[language] : row.texts[EN];
}

QString extraOrEnglish(const QString &id)
{
    if (currentLanguage() >= 0)
        return extra(id);
    const int i = catalog().extraIndex.value(id, -1);
    return i >= 0 ? catalog().extras.at(i).texts[EN] : QString();
}

QStringList allExtraIds()
{
    QStringList ids;
    for (const Row &row : catalog().extras)
        ids.append(row.key);
    return ids;
}

void clearAll()
{
    current().clear();
    currentLanguage() = -1;
}

} // namespace Texts
