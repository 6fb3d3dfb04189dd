#pragma once

#include "Dialogs.h"

#include <QList>
#include <QStringList>
#include <QVariant>

// Dialogs for tests: every call is recorded, answers come from a queue. With an
// empty queue a message box answers its default button and a picker is cancelled.
// Installing it replaces the real dialogs until it is destroyed.
class ScriptedDialogs : public Dialogs
{
public:
    struct Call
    {
        QString kind; // "message", "error", "openFile", "saveFile", "pickFolder", "pickColour", "pickFont", "askText"
        Icon icon = Icon::None;
        QString text;  // message text or dialog title
        int buttons = 0;
        QString folder; // folder or suggested path of a picker
    };

    ScriptedDialogs();
    ~ScriptedDialogs() override;

    // Queue answers, consumed in order by the calls of the matching kind.
    void answer(Button b) { m_buttons.append(b); }
    void answerPath(const QString &path) { m_paths.append(path); } // empty = cancel
    void answerColour(const QColor &c) { m_colours.append(c); }    // invalid = cancel
    void answerFont(const QFont &f) { m_fonts.append(f); }
    void answerText(const std::optional<QString> &text) { m_texts.append(text); } // nullopt = cancel

    const QList<Call> &calls() const { return m_calls; }
    QStringList messages() const; // texts of message and error boxes, in order
    Call last() const { return m_calls.isEmpty() ? Call() : m_calls.last(); }
    void clear() { m_calls.clear(); }

    Button message(Icon icon, const QString &text, int buttons, Button defaultButton) override;
    void errorBox(const QString &text) override;
    QString openFile(QWidget *parent, const QString &title, const QString &folder, const QString &filter) override;
    QString saveFile(QWidget *parent, const QString &title, const QString &suggestedPath,
                     const QString &filter) override;
    QString pickFolder(QWidget *parent, const QString &title, const QString &folder) override;
    std::optional<QColor> pickColour(QWidget *parent, const QColor &initial) override;
    std::optional<QFont> pickFont(QWidget *parent, const QFont &initial) override;
    std::optional<QString> askText(QWidget *parent, const QString &prompt, const QString &initial, bool secret) override;

private:
    QString nextPath();
    QList<Call> m_calls;
    QList<Button> m_buttons;
    QStringList m_paths;
    QList<QColor> m_colours;
    QList<QFont> m_fonts;
    QList<std::optional<QString>> m_texts;
};
