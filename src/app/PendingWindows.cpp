// Stand-ins for windows and areas that are not built yet (see WindowFactories.h).
// Delete a stand-in here when its real factory or installer exists.
#include "WindowFactories.h"

#include <QDialog>

namespace {
QWidget *pendingWindow(const char *name)
{
    auto *w = new QDialog;
    w->setObjectName(QLatin1String(name));
    return w;
}
} // namespace

QWidget *createForm_Imagens() { return pendingWindow("Form_Imagens"); }
QWidget *createForm_Maquinas() { return pendingWindow("Form_Maquinas"); }
QWidget *createForm_Selecionar_Maquina() { return pendingWindow("Form_Selecionar_Maquina"); }
QWidget *createForm_EDT1() { return pendingWindow("Form_EDT1"); }
QWidget *createForm_EDT_Progress() { return pendingWindow("Form_EDT_Progress"); }
QWidget *createForm_EDT2() { return pendingWindow("Form_EDT2"); }
QWidget *createForm_EDT3() { return pendingWindow("Form_EDT3"); }
QWidget *createForm_EDT4() { return pendingWindow("Form_EDT4"); }
QWidget *createForm_EDT5() { return pendingWindow("Form_EDT5"); }
QWidget *createForm_DIR() { return pendingWindow("Form_DIR"); }
QWidget *createForm_Transfer_FTP() { return pendingWindow("Form_Transfer_FTP"); }
QWidget *createForm_Transfer_DIR() { return pendingWindow("Form_Transfer_DIR"); }
QWidget *createForm_Transfer_SERIAL232() { return pendingWindow("Form_Transfer_SERIAL232"); }
QWidget *createForm_Transfer_SERIAL232_R() { return pendingWindow("Form_Transfer_SERIAL232_R"); }
QWidget *createForm_Config() { return pendingWindow("Form_Config"); }
QWidget *createForm_EDT7() { return pendingWindow("Form_EDT7"); }

void installMachineListArea(TForm_Main *) {}
void installBrowserArea(TForm_Main *) {}
void installToolCommands(TForm_Main *) {}
void installTransferCommands(TForm_Main *) {}
void installSettingsCommands(TForm_Main *) {}
void startMachineLists(TForm_Main *) {}
void refreshBrowserColumns(TForm_Main *) {}
