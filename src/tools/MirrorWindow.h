#pragma once

#include "ToolWindow.h"

class QCheckBox;

// The XY mirror window: negate X and/or Y, swap G02/G03 and G41/G42, and the
// "+" option.
class TForm_EDT5 : public ToolWindow
{
    Q_OBJECT

public:
    TForm_EDT5();
    // CheckBox1 to CheckBox7 (n from 1).
    QCheckBox *checkBox(int n) const { return m_boxes[n - 1]; }

protected:
    std::unique_ptr<LineTool> makeTool() const override;

private:
    QCheckBox *m_boxes[7];
};

QWidget *createForm_EDT5();
