#include "StartEndWindow.h"

#include "StartEndTool.h"
#include "lang/Texts.h"
#include "platform/Dialogs.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

TForm_EDT7::TForm_EDT7() : ToolWindow("Form_EDT7", "GroupBox3", "func05.12.html", 112)
{
    m_label = new QLabel(group());
    m_label->setObjectName(QStringLiteral("Label2"));
    m_label->setGeometry(16, 26, 100, 20);
    m_text = new QLineEdit(group());
    m_text->setObjectName(QStringLiteral("Edit1"));
    m_text->setGeometry(120, 24, 200, 24);
    m_start = new QRadioButton(group());
    m_start->setObjectName(QStringLiteral("RadioButton1"));
    m_start->setGeometry(16, 56, 450, 22);
    m_end = new QRadioButton(group());
    m_end->setObjectName(QStringLiteral("RadioButton2"));
    m_end->setGeometry(16, 82, 450, 22);
}

bool TForm_EDT7::mayRun()
{
    if (m_start->isChecked() || m_end->isChecked())
        return true;
    Msg::error(T("Form_EDT7.MSG05"));
    return false;
}

std::unique_ptr<LineTool> TForm_EDT7::makeTool() const
{
    return std::make_unique<StartEndTool>(m_start->isChecked() ? StartEndTool::Position::Start
                                                               : StartEndTool::Position::End,
                                          m_text->text());
}

QWidget *createForm_EDT7() { return new TForm_EDT7; }
