#pragma once

#include "ToolRun.h"

#include <QDialog>
#include <memory>

class LineTool;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class ToolSpinBox;

// What the six tool windows share: the ribbon strip, a group box for the
// tool's options, the range controls, Apply and Cancel, and the window's part
// of a run (progress window, history entry, Modified).
class ToolWindow : public QDialog
{
    Q_OBJECT

public:
    QGroupBox *group() const { return m_group; }
    QRadioButton *RadioButton3() const { return m_wholeFile; }
    QRadioButton *RadioButton4() const { return m_lineRange; }
    ToolSpinBox *SpinEdit1() const { return m_first; }
    ToolSpinBox *SpinEdit2() const { return m_last; }
    QLabel *Label1() const { return m_up; }
    QPushButton *BitBtn1() const { return m_apply; }
    QPushButton *BitBtn3() const { return m_cancel; }

    ToolRange range() const;

    // Apply: runs the tool over the current editor (or refuses, see mayRun).
    void BitBtn1Click();
    void BitBtn3Click();

protected:
    // `groupName` is the object name of the options group; the group is
    // `groupHeight` pixels high.
    ToolWindow(const char *objectName, const char *groupName, const char *helpPage, int groupHeight);

    // The tool as the options say; called when Apply runs it.
    virtual std::unique_ptr<LineTool> makeTool() const = 0;
    // False (after telling the user) when the options do not allow a run.
    virtual bool mayRun() { return true; }

private:
    void run(LineTool &tool);

    QGroupBox *m_group;
    QRadioButton *m_wholeFile;
    QRadioButton *m_lineRange;
    ToolSpinBox *m_first;
    ToolSpinBox *m_last;
    QLabel *m_up;
    QPushButton *m_apply;
    QPushButton *m_cancel;
};

// Caption colours of the tool windows' check boxes and labels.
namespace CaptionColours {
QColor navy();
QColor black();
QColor windowText();
QColor grey();
void paint(QWidget *control, const QColor &colour);
QColor of(const QWidget *control);
} // namespace CaptionColours
