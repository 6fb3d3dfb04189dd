#include "FontSizeBox.h"

#include <algorithm>

FontSizeBox::FontSizeBox(QWidget *parent) : QSpinBox(parent)
{
    setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
}

QValidator::State FontSizeBox::validate(QString &input, int &pos) const
{
    const QValidator::State state = QSpinBox::validate(input, pos);
    if (state != QValidator::Invalid)
        return state;
    // Digits beyond the limits may still be typed; leaving the box corrects them.
    bool isNumber = false;
    input.toLongLong(&isNumber);
    return isNumber ? QValidator::Intermediate : QValidator::Invalid;
}

void FontSizeBox::fixup(QString &input) const
{
    bool isNumber = false;
    const long long v = input.toLongLong(&isNumber);
    if (!isNumber) {
        input = QString::number(minimum());
        return;
    }
    input = QString::number(std::clamp<long long>(v, minimum(), maximum()));
}
