#include "ToolSpinBox.h"


ToolSpinBox::ToolSpinBox(QWidget *parent, int minimum, int maximum, int value, int blankValue)
    : QSpinBox(parent), m_blankValue(blankValue)
{
    setRange(minimum, maximum);
    setValue(value);
    setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
}

int ToolSpinBox::currentValue() const
{
    return cleanText().trimmed().isEmpty() ? m_blankValue : value();
}

void ToolSpinBox::fixup(QString &input) const
{
    if (input.trimmed().isEmpty())
        input = QString::number(m_blankValue);
    else
        QSpinBox::fixup(input);
}
