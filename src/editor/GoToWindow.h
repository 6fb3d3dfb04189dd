#pragma once

#include <QDialog>

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

// The Go-to window of the editor: a line number or a block number ("N1234").
// The window stays open, with the reason shown, until the target is found.
class GoToWindow : public QDialog
{
    Q_OBJECT

public:
    explicit GoToWindow(QWidget *parent = nullptr);

    // Looks for the target typed; true when the caret went there. Shows its own
    // message otherwise.
    std::function<bool(const QString &text)> goTo;

    QLineEdit *Edit1() const { return m_edit; }
    // "&OK": goes to the target and closes when it was found.
    void BitBtn1Click();

private:
    QLabel *m_label;
    QLineEdit *m_edit;
};
