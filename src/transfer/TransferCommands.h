#pragma once

#include <QString>
#include <functional>

class TForm_Main;

// The main window's transfer commands and the preparations of the transfer
// windows. The selected machine's transfer type picks the way; each preparation
// loads the machine's parameter row, fills its window for sending (mode 1) or
// receiving (mode 2) and shows it modally, returning when it closes.
namespace TransferCommands {

// SpeedButton4: sends the file selected in the browser's list.
void SpeedButton4Click();
// SpeedButton31: sends the file of the active editor tab as saved on disk.
void SpeedButton31Click();
// SpeedButton19: receives a program from the selected machine.
void SpeedButton19Click();

// Picks the preparation by SelectedTransferType; a machine without a known type
// does nothing.
void dispatch(const QString &file, int mode);

void FUNC_Transfer_LOCAL(const QString &file, int mode);
// Errors of the connection are thrown; the window is then not shown.
void FUNC_Transfer_FTP(const QString &file, int mode);
void FUNC_Transfer_SERIAL232(const QString &file, int mode);

} // namespace TransferCommands

void installTransferCommands(TForm_Main *main);
