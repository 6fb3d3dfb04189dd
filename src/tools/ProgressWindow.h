#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;
class QStatusBar;

// The progress window of a tool run: a bar, the percentage and a Cancel
// button. Closing it, by the button or at the end of a run, sets
// CancelRequested and shows the main window again.
class TForm_EDT_Progress : public QDialog
{
    Q_OBJECT

public:
    explicit TForm_EDT_Progress(QWidget *parent = nullptr);

    // The one progress window of the run (nullptr before it exists).
    static TForm_EDT_Progress *instance();

    // Step 1 of a run: shown (not modally) with the tool's status text.
    void start(const QString &statusText);
    void setMaximum(int maximum);
    // Bar position (kept within the bar) and the percentage label.
    void showProgress(int position, qint64 percent);

    QProgressBar *ProgressBar1() const { return m_bar; }
    QLabel *Label1() const { return m_percent; }
    QPushButton *BitBtn3() const { return m_cancel; }
    QStatusBar *StatusBar1() const { return m_status; }
    QString statusText() const;

    void BitBtn3Click();
    // Escape closes the window like its Cancel button.
    void reject() override;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    QProgressBar *m_bar;
    QLabel *m_percent;
    QPushButton *m_cancel;
    QStatusBar *m_status;
    QLabel *m_statusPanel;
};

QWidget *createForm_EDT_Progress();
