#pragma once

#include <QString>

// The text form of a colour value (0x00BBGGRR) in the colour window: the name of
// a standard colour where the value is one, otherwise "$" and eight hex digits.
QString colourText(int value);
