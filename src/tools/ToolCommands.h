#pragma once

class TForm_Main;

// The tool commands of the " Edit CNC Program " ribbon page.
namespace ToolCommands {
void BT01Click(); // spaces
void BT02Click(); // block numbers
void BT06Click(); // I/J conversion
void BT07Click(); // XYZ translation
void BT08Click(); // XY mirror
void BT09Click(); // start/end character
} // namespace ToolCommands

// Connects the buttons BT01, BT02, BT06, BT07, BT08 and BT09 of the main window.
void installToolCommands(TForm_Main *main);
