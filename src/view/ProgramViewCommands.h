#pragma once

class QWidget;

// The program view beside the editor tabs and its button on the editor's
// ribbon page.
void installProgramViewCommands(QWidget *main);
