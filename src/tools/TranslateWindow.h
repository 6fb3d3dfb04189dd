#pragma once

#include "ToolWindow.h"

class QCheckBox;
class QLineEdit;

// The XYZ translation window: an increment per axis and the "+" option.
class TForm_EDT4 : public ToolWindow
{
    Q_OBJECT

public:
    TForm_EDT4();
    QCheckBox *CheckBox1() const { return m_axes[0]; }
    QCheckBox *CheckBox2() const { return m_axes[1]; }
    QCheckBox *CheckBox3() const { return m_axes[2]; }
    QCheckBox *CheckBox4() const { return m_plus; }
    QLineEdit *Edit1() const { return m_fields[0]; }
    QLineEdit *Edit2() const { return m_fields[1]; }
    QLineEdit *Edit3() const { return m_fields[2]; }

protected:
    std::unique_ptr<LineTool> makeTool() const override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QCheckBox *m_axes[3];
    QLineEdit *m_fields[3];
    QCheckBox *m_plus;
};

QWidget *createForm_EDT4();
