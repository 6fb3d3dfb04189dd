#include "ToolCommands.h"

#include "app/Application.h"
#include "app/MainWindow.h"
#include "editor/EditorArea.h"
#include "lang/Texts.h"
#include "platform/WindowRules.h"

#include <QAbstractButton>
#include <QDialog>

namespace {

// Opens a tool window over the current editor, or warns that no file is open
// (naming the function).
void openTool(const char *windowName, const char *functionKey)
{
    TForm_Main *main = TForm_Main::instance();
    EditorArea *area = EditorArea::instance();
    if (!main)
        return;
    if (!area || !area->hasActiveTab()) {
        main->FUNC_Mensagem(1, T(functionKey));
        return;
    }
    auto *window = qobject_cast<QDialog *>(Application::window(QLatin1String(windowName)));
    if (!window)
        return;
    WindowRules::showModal(window, Texts::text(QLatin1String(windowName) + QLatin1String(".Ribbon1")));
}

} // namespace

namespace ToolCommands {
void BT01Click() { openTool("Form_EDT1", "Form_Main.MSG08"); }
void BT02Click() { openTool("Form_EDT2", "Form_Main.MSG09"); }
void BT06Click() { openTool("Form_EDT3", "Form_Main.MSG10"); }
void BT07Click() { openTool("Form_EDT4", "Form_Main.MSG11"); }
void BT08Click() { openTool("Form_EDT5", "Form_Main.MSG12"); }
void BT09Click() { openTool("Form_EDT7", "Form_Main.MSG17"); }
} // namespace ToolCommands

void installToolCommands(TForm_Main *main)
{
    const struct
    {
        const char *button;
        void (*handler)();
    } commands[] = {{"BT01", ToolCommands::BT01Click}, {"BT02", ToolCommands::BT02Click},
                    {"BT06", ToolCommands::BT06Click}, {"BT07", ToolCommands::BT07Click},
                    {"BT08", ToolCommands::BT08Click}, {"BT09", ToolCommands::BT09Click}};
    for (const auto &command : commands) {
        if (auto *button = main->findChild<QAbstractButton *>(QLatin1String(command.button)))
            QObject::connect(button, &QAbstractButton::clicked, main, command.handler);
    }
}
