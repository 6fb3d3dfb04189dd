#pragma once

#include "ToolWindow.h"

class QLineEdit;

// The start/end character window: a text to put in front of or after every
// line. Refuses to run until a place is chosen.
class TForm_EDT7 : public ToolWindow
{
    Q_OBJECT

public:
    TForm_EDT7();
    QLabel *Label2() const { return m_label; }
    QLineEdit *Edit1() const { return m_text; }
    QRadioButton *RadioButton1() const { return m_start; }
    QRadioButton *RadioButton2() const { return m_end; }

protected:
    std::unique_ptr<LineTool> makeTool() const override;
    bool mayRun() override;

private:
    QLabel *m_label;
    QLineEdit *m_text;
    QRadioButton *m_start;
    QRadioButton *m_end;
};

QWidget *createForm_EDT7();
