#include "MirrorWindow.h"

#include "MirrorTool.h"

#include <QCheckBox>
#include <QGroupBox>

TForm_EDT5::TForm_EDT5() : ToolWindow("Form_EDT5", "GroupBox3", "func05.8.html", 212)
{
    for (int i = 0; i < 7; ++i) {
        QCheckBox *box = new QCheckBox(group());
        m_boxes[i] = box;
        box->setObjectName(QStringLiteral("CheckBox%1").arg(i + 1));
        box->setGeometry(16, 24 + 26 * i, 450, 22);
        CaptionColours::paint(box, CaptionColours::grey());
        connect(box, &QCheckBox::clicked, this, [box](bool on) {
            CaptionColours::paint(box, on ? CaptionColours::windowText() : CaptionColours::grey());
        });
    }
}

std::unique_ptr<LineTool> TForm_EDT5::makeTool() const
{
    MirrorTool::Options options;
    options.x = m_boxes[0]->isChecked();
    options.y = m_boxes[1]->isChecked();
    options.g02 = m_boxes[2]->isChecked();
    options.g03 = m_boxes[3]->isChecked();
    options.g41 = m_boxes[4]->isChecked();
    options.g42 = m_boxes[5]->isChecked();
    options.plus = m_boxes[6]->isChecked();
    return std::make_unique<MirrorTool>(options);
}

QWidget *createForm_EDT5() { return new TForm_EDT5; }
