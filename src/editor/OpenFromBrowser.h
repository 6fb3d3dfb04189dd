#pragma once

class TForm_Main;

// "Open CNC File": the file selected in the directory browser goes into a new
// editor tab, and the ribbon turns to the editor page.
void SpeedButton2Click(TForm_Main *main);
void installOpenFromBrowser(TForm_Main *main);
