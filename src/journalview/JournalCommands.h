#pragma once

#include "JournalWindow.h"

class TForm_Main;

// The "Transfer Journal" command of the main window's first ribbon page, beside "Receive
// Program": it shows the journal window, which reads the journal each time it opens.
void installJournalCommands(TForm_Main *main);
// Its caption and hint after a language change.
void applyJournalTexts(TForm_Main *main);
// The journal window of the run (nullptr before installJournalCommands).
JournalWindow *journalWindow();
// Where the window reads the journal and how it writes an export; until they are set it
// shows an empty journal and offers no export.
void setJournalSources(JournalWindow::Loader loader, JournalWindow::CsvWriter writer);
