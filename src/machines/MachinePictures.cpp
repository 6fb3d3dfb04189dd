#include "MachinePictures.h"

namespace MachinePictures {

int pictureNumber(const QString &text)
{
    // Exactly one digit: " 1", "01" or "1.0" are not picture numbers.
    if (text.size() != 1)
        return 0;
    const char16_t c = text.at(0).unicode();
    return c >= u'1' && c <= u'0' + Count ? int(c - u'0') : 0;
}

QString resourcePath(int number)
{
    if (number < 1 || number > Count)
        return QString();
    return QStringLiteral(":/pictures/machine%1.png").arg(number);
}

QString resourcePath(const QString &text) { return resourcePath(pictureNumber(text)); }

} // namespace MachinePictures
