#pragma once

#include "ToolWindow.h"

class QCheckBox;

// The block renumbering window: pad block numbers to a number of digits
// and/or renumber from a start value by an increment.
class TForm_EDT2 : public ToolWindow
{
    Q_OBJECT

public:
    TForm_EDT2();
    QCheckBox *CheckBox1() const { return m_digitsOn; }
    ToolSpinBox *SpinEdit3() const { return m_digits; }
    QCheckBox *CheckBox3() const { return m_renumber; }
    QLabel *Label2() const { return m_startLabel; }
    ToolSpinBox *SpinEdit4() const { return m_start; }
    QLabel *Label3() const { return m_incrementLabel; }
    ToolSpinBox *SpinEdit5() const { return m_increment; }

protected:
    std::unique_ptr<LineTool> makeTool() const override;

private:
    QCheckBox *m_digitsOn;
    ToolSpinBox *m_digits;
    QCheckBox *m_renumber;
    QLabel *m_startLabel;
    ToolSpinBox *m_start;
    QLabel *m_incrementLabel;
    ToolSpinBox *m_increment;
};

QWidget *createForm_EDT2();
