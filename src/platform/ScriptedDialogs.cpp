#include "ScriptedDialogs.h"

ScriptedDialogs::ScriptedDialogs() { setDialogs(this); }

ScriptedDialogs::~ScriptedDialogs() { setDialogs(nullptr); }

QStringList ScriptedDialogs::messages() const
{
    QStringList texts;
    for (const Call &c : m_calls) {
        if (c.kind == QLatin1String("message") || c.kind == QLatin1String("error"))
            texts << c.text;
    }
    return texts;
}

Dialogs::Button ScriptedDialogs::message(Icon icon, const QString &text, int buttons, Button defaultButton)
{
    m_calls.append({QStringLiteral("message"), icon, text, buttons, QString()});
    if (!m_buttons.isEmpty())
        return m_buttons.takeFirst();
    return defaultButton;
}

void ScriptedDialogs::errorBox(const QString &text)
{
    m_calls.append({QStringLiteral("error"), Icon::Error, text, Ok, QString()});
}

QString ScriptedDialogs::nextPath() { return m_paths.isEmpty() ? QString() : m_paths.takeFirst(); }

QString ScriptedDialogs::openFile(QWidget *, const QString &title, const QString &folder, const QString &)
{
    m_calls.append({QStringLiteral("openFile"), Icon::None, title, 0, folder});
    return nextPath();
}

QString ScriptedDialogs::saveFile(QWidget *, const QString &title, const QString &suggestedPath, const QString &)
{
    m_calls.append({QStringLiteral("saveFile"), Icon::None, title, 0, suggestedPath});
    return nextPath();
}

QString ScriptedDialogs::pickFolder(QWidget *, const QString &title, const QString &folder)
{
    m_calls.append({QStringLiteral("pickFolder"), Icon::None, title, 0, folder});
    return nextPath();
}

std::optional<QColor> ScriptedDialogs::pickColour(QWidget *, const QColor &)
{
    m_calls.append({QStringLiteral("pickColour"), Icon::None, QString(), 0, QString()});
    if (m_colours.isEmpty())
        return std::nullopt;
    const QColor c = m_colours.takeFirst();
    if (!c.isValid())
        return std::nullopt;
    return c;
}

std::optional<QFont> ScriptedDialogs::pickFont(QWidget *, const QFont &)
{
    m_calls.append({QStringLiteral("pickFont"), Icon::None, QString(), 0, QString()});
    if (m_fonts.isEmpty())
        return std::nullopt;
    return m_fonts.takeFirst();
}

std::optional<QString> ScriptedDialogs::askText(QWidget *, const QString &prompt, const QString &initial, bool secret)
{
    // A secret's initial text is never recorded.
    m_calls.append({QStringLiteral("askText"), Icon::None, prompt, secret ? 1 : 0, secret ? QString() : initial});
    if (m_texts.isEmpty())
        return std::nullopt;
    return m_texts.takeFirst();
}
