#pragma once

#include "ToolWindow.h"

// The spaces tool window: add a blank in front of the address letters, or
// remove the blanks.
class TForm_EDT1 : public ToolWindow
{
    Q_OBJECT

public:
    TForm_EDT1();
    QRadioButton *RadioButton1() const { return m_remove; }
    QRadioButton *RadioButton2() const { return m_add; }

protected:
    std::unique_ptr<LineTool> makeTool() const override;

private:
    QRadioButton *m_add;
    QRadioButton *m_remove;
};

QWidget *createForm_EDT1();
