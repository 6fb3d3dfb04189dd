#pragma once

class QWidget;
class TForm_Main;

// Each secondary window is created once at start-up by a factory that its own area
// defines next to the window.
// Every factory returns a top-level window (parent nullptr) whose objectName is
// the window name of the language texts ("Form_Maquinas", ...).
QWidget *createForm_Imagens();
QWidget *createForm_Maquinas();
QWidget *createForm_Selecionar_Maquina();
QWidget *createForm_EDT1();
QWidget *createForm_EDT_Progress();
QWidget *createForm_EDT2();
QWidget *createForm_EDT3();
QWidget *createForm_EDT4();
QWidget *createForm_EDT5();
QWidget *createForm_EDT_COR();
QWidget *createForm_DIR();
QWidget *createForm_Transfer_FTP();
QWidget *createForm_Transfer_DIR();
QWidget *createForm_Transfer_SERIAL232();
QWidget *createForm_Font();
QWidget *createForm_Transfer_SERIAL232_R();
QWidget *createForm_Config();
QWidget *createForm_EDT7();

// The areas of the main window wire their controls and commands; each is called
// once, after every window exists, in this order.
void installMachineListArea(TForm_Main *main); // machine list, filter, delete, selection
void installBrowserArea(TForm_Main *main);     // folder tree, file list, file commands
void installEditorArea(TForm_Main *main);      // editor tabs, file commands, find and replace
void installToolCommands(TForm_Main *main);    // the six tools
void installProgramViewCommands(QWidget *main);  // the program view beside the tabs
void applyProgramViewTexts(QWidget *main);      // its caption, hint and panel after a language change
void installTransferCommands(TForm_Main *main); // transfer and receive commands
void installSettingsCommands(TForm_Main *main); // configuration window

// The show step's machine part: open the lists, run the filter, select the first
// machine (the machine list area provides it; a stand-in does nothing). Throws on a
// database failure.
void startMachineLists(TForm_Main *main);
// Sets the browser list's column captions from the current texts.
void refreshBrowserColumns(TForm_Main *main);
