#pragma once

class QString;
class TForm_Main;

// "Open CNC File": the file selected in the directory browser goes into a new
// editor tab, and the ribbon turns to the editor page.
void SpeedButton2Click(TForm_Main *main);
// Opens a file in a new editor tab and turns the ribbon to the editor page (also a
// double-clicked file that the desktop has no program for).
void openInEditor(TForm_Main *main, const QString &path);
void installOpenFromBrowser(TForm_Main *main);
