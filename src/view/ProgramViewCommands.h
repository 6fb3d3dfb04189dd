#pragma once

class QWidget;

// The program view beside the editor tabs and its button on the editor's
// ribbon page.
void installProgramViewCommands(QWidget *main);

// Brings the view's group caption, hint and panel into the current language
// (the language switch copies only the catalogue's window texts).
void applyProgramViewTexts(QWidget *main);
