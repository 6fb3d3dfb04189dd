#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class FontSizeBox;

// The editor font window: a font name from the installed fonts and a size from 8
// to 1000 points, stored in the editor settings file on Apply.
class TForm_Font : public QDialog
{
    Q_OBJECT

public:
    explicit TForm_Font(QWidget *parent = nullptr);

    bool applied() const { return m_applied; }
    void clearApplied() { m_applied = false; }

    QComboBox *ComboBox1() const { return m_names; }
    FontSizeBox *SpinEdit1() const { return m_size; }
    QLabel *Panel1() const { return m_preview; }

    // Selects the current font and size (done each time the window shows).
    void fillFromSettings();
    // Apply: stores name and size (Error when the settings file refuses) and closes.
    void BitBtn1Click();
    void BitBtn3Click();

protected:
    void showEvent(QShowEvent *event) override;

private:
    QComboBox *m_names;
    FontSizeBox *m_size;
    QLabel *m_preview;
    bool m_applied = false;
};

QWidget *createForm_Font();
