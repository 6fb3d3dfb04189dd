#pragma once

#include <QSpinBox>

// The integer spin boxes of the tool windows: leaving one with a blank text
// gives it its blank value (1, or 0 for a first block number).
class ToolSpinBox : public QSpinBox
{
    Q_OBJECT

public:
    ToolSpinBox(QWidget *parent, int minimum, int maximum, int value, int blankValue);

    // The value as the window reads it, also while the text is still blank.
    int currentValue() const;

protected:
    void fixup(QString &input) const override;

private:
    int m_blankValue;
};
