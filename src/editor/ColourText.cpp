#include "ColourText.h"

namespace {
struct NamedColour
{
    int value;
    const char *name;
};

const NamedColour Names[] = {
    {0x000000, "Black"},  {0x000080, "Maroon"},     {0x008000, "Green"},   {0x008080, "Olive"},
    {0x800000, "Navy"},   {0x800080, "Purple"},     {0x808000, "Teal"},    {0x808080, "Gray"},
    {0xC0C0C0, "Silver"}, {0x0000FF, "Red"},        {0x00FF00, "Lime"},    {0x00FFFF, "Yellow"},
    {0xFF0000, "Blue"},   {0xFF00FF, "Fuchsia"},    {0xFFFF00, "Aqua"},    {0xFFFFFF, "White"},
    {0xC0DCC0, "MoneyGreen"}, {0xF0CAA6, "SkyBlue"}, {0xF0FBFF, "Cream"},  {0xA4A0A0, "MedGray"},
};
} // namespace

QString colourText(int value)
{
    for (const NamedColour &c : Names) {
        if (c.value == value)
            return QLatin1String(c.name);
    }
    return QLatin1Char('$') + QString::number(uint(value), 16).toUpper().rightJustified(8, QLatin1Char('0'));
}
