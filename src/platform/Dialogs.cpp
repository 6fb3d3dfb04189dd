#include "Dialogs.h"

#include "lang/Texts.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

namespace {

// Captions of the buttons in the current language (the standard ones when the
// language has no text for them).
void setCaption(QMessageBox &box, QMessageBox::StandardButton b, const char *id)
{
    if (QAbstractButton *button = box.button(b)) {
        const QString text = Texts::extra(id);
        if (!text.isEmpty())
            button->setText(text);
    }
}

class RealDialogs : public Dialogs
{
public:
    Button message(Icon icon, const QString &text, int buttons, Button defaultButton) override
    {
        QMessageBox box(QApplication::activeWindow());
        box.setWindowTitle(QStringLiteral("Zavrin"));
        box.setText(text);
        box.setTextFormat(Qt::PlainText);
        switch (icon) {
        case Icon::Error: box.setIcon(QMessageBox::Critical); break;
        case Icon::Information: box.setIcon(QMessageBox::Information); break;
        case Icon::Question: box.setIcon(QMessageBox::Question); break;
        case Icon::Warning: box.setIcon(QMessageBox::Warning); break;
        case Icon::None: break;
        }
        QMessageBox::StandardButtons standard;
        if (buttons & Ok) standard |= QMessageBox::Ok;
        if (buttons & Yes) standard |= QMessageBox::Yes;
        if (buttons & No) standard |= QMessageBox::No;
        if (buttons & YesToAll) standard |= QMessageBox::YesToAll;
        if (buttons & Cancel) standard |= QMessageBox::Cancel;
        box.setStandardButtons(standard);
        setCaption(box, QMessageBox::Ok, "Extra.OK");
        setCaption(box, QMessageBox::Yes, "Extra.Yes");
        setCaption(box, QMessageBox::No, "Extra.No");
        setCaption(box, QMessageBox::YesToAll, "Extra.CopyYesToAll");
        setCaption(box, QMessageBox::Cancel, "Extra.Cancel");
        switch (defaultButton) {
        case Ok: box.setDefaultButton(QMessageBox::Ok); break;
        case Yes: box.setDefaultButton(QMessageBox::Yes); break;
        case No: box.setDefaultButton(QMessageBox::No); break;
        case Cancel: box.setDefaultButton(QMessageBox::Cancel); break;
        case YesToAll: box.setDefaultButton(QMessageBox::YesToAll); break;
        default: break;
        }
        switch (box.exec()) {
        case QMessageBox::Ok: return Ok;
        case QMessageBox::Yes: return Yes;
        case QMessageBox::No: return No;
        case QMessageBox::YesToAll: return YesToAll;
        case QMessageBox::Cancel: return Cancel;
        default: return (buttons & Cancel) ? Cancel : ((buttons & No) ? No : Ok);
        }
    }

    void errorBox(const QString &text) override { message(Icon::Error, text, Ok, Ok); }

    QString openFile(QWidget *parent, const QString &title, const QString &folder, const QString &filter) override
    {
        return QFileDialog::getOpenFileName(parent, title, folder, filter);
    }

    QString saveFile(QWidget *parent, const QString &title, const QString &suggestedPath,
                     const QString &filter) override
    {
        // The callers ask their own overwrite question, in the program's language.
        return QFileDialog::getSaveFileName(parent, title, suggestedPath, filter, nullptr,
                                            QFileDialog::DontConfirmOverwrite);
    }

    QString pickFolder(QWidget *parent, const QString &title, const QString &folder) override
    {
        return QFileDialog::getExistingDirectory(parent, title, folder);
    }

    std::optional<QColor> pickColour(QWidget *parent, const QColor &initial) override
    {
        const QColor c = QColorDialog::getColor(initial, parent);
        if (!c.isValid())
            return std::nullopt;
        return c;
    }

    std::optional<QFont> pickFont(QWidget *parent, const QFont &initial) override
    {
        bool ok = false;
        const QFont f = QFontDialog::getFont(&ok, initial, parent);
        if (!ok)
            return std::nullopt;
        return f;
    }

    std::optional<QString> askText(QWidget *parent, const QString &prompt, const QString &initial, bool secret) override
    {
        QInputDialog dialog(parent ? parent : QApplication::activeWindow());
        dialog.setWindowTitle(QStringLiteral("Zavrin"));
        dialog.setLabelText(prompt);
        dialog.setTextEchoMode(secret ? QLineEdit::Password : QLineEdit::Normal);
        dialog.setTextValue(initial);
        // Long prompts wrap instead of widening the box past the screen.
        for (QLabel *label : dialog.findChildren<QLabel *>()) {
            label->setWordWrap(true);
            label->setMinimumWidth(440);
        }
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return dialog.textValue();
    }
};

RealDialogs g_real;
Dialogs *g_current = nullptr;

} // namespace

Dialogs &dialogs() { return g_current ? *g_current : g_real; }

void setDialogs(Dialogs *d) { g_current = d; }

namespace Msg {
void error(const QString &text) { dialogs().message(Dialogs::Icon::Error, text, Dialogs::Ok, Dialogs::Ok); }
void information(const QString &text)
{
    dialogs().message(Dialogs::Icon::Information, text, Dialogs::Ok, Dialogs::Ok);
}
void attention(const QString &text) { dialogs().message(Dialogs::Icon::Warning, text, Dialogs::Ok, Dialogs::Ok); }
bool question(const QString &text)
{
    return dialogs().message(Dialogs::Icon::Question, text, Dialogs::Yes | Dialogs::No, Dialogs::Yes) == Dialogs::Yes;
}
} // namespace Msg

#include "Error.h"

bool guarded(const std::function<void()> &action)
{
    try {
        action();
        return true;
    } catch (const Error &e) {
        dialogs().errorBox(e.message());
    } catch (const std::exception &e) {
        dialogs().errorBox(QString::fromLocal8Bit(e.what()));
    }
    return false;
}
