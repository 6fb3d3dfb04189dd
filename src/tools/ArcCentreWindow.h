#pragma once

#include "ToolWindow.h"

class QCheckBox;

// The I/J conversion window: one of four modes (absolute or incremental, arc
// start or end) and the "+" option.
class TForm_EDT3 : public ToolWindow
{
    Q_OBJECT

public:
    TForm_EDT3();
    QRadioButton *RadioButton1() const { return m_absoluteEnd; }
    QRadioButton *RadioButton2() const { return m_incrementalEnd; }
    QRadioButton *RadioButton5() const { return m_absoluteStart; }
    QRadioButton *RadioButton6() const { return m_incrementalStart; }
    QCheckBox *CheckBox1() const { return m_plus; }

protected:
    std::unique_ptr<LineTool> makeTool() const override;

private:
    QRadioButton *m_absoluteStart;
    QRadioButton *m_incrementalStart;
    QRadioButton *m_absoluteEnd;
    QRadioButton *m_incrementalEnd;
    QCheckBox *m_plus;
};

QWidget *createForm_EDT3();
