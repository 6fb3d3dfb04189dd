#include "ConfigWindow.h"
#include "Application.h"
#include "MainWindow.h"
#include "WindowFactories.h"
#include "lang/Texts.h"
#include "platform/Dialogs.h"
#include "platform/WindowRules.h"

#include <QToolButton>

int SpeedButton32Click()
{
    auto *config = qobject_cast<TForm_Config *>(Application::window(QStringLiteral("Form_Config")));
    if (!config)
        return QDialog::Rejected;
    return WindowRules::showModal(config, T("Form_Config.Ribbon1"));
}

void installSettingsCommands(TForm_Main *main)
{
    if (auto *button = main->findChild<QToolButton *>(QStringLiteral("SpeedButton32")))
        QObject::connect(button, &QToolButton::clicked, main, [] { guarded([] { SpeedButton32Click(); }); });
}
