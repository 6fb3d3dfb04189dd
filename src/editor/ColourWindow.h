#pragma once

#include <QColor>
#include <QDialog>

#include <array>

class QFrame;
class QLineEdit;
class QToolButton;

// The G-code colour window: 22 rows of colour, shown from the settings each time
// and stored in the editor settings file on Apply.
class TForm_EDT_COR : public QDialog
{
    Q_OBJECT

public:
    static constexpr int Rows = 22;

    explicit TForm_EDT_COR(QWidget *parent = nullptr);

    // Whether the last showing ended with Apply; the opening command clears it.
    bool applied() const { return m_applied; }
    void clearApplied() { m_applied = false; }

    // Row n (1 to 22): the colour value its square shows.
    int rowValue(int row) const { return m_values[row - 1]; }
    // Fills the rows from the current settings (done each time the window shows).
    void fillFromSettings();

    // The colour button of a row: the colour dialog, then the row takes its answer.
    void SpeedButtonClick(int row);
    // Apply: stores the 22 colours (Error when the settings file refuses) and closes.
    void BitBtn1Click();
    void BitBtn3Click();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void setRow(int row, int value);

    std::array<int, Rows> m_values{};
    std::array<QLineEdit *, Rows> m_edits{};
    std::array<QFrame *, Rows> m_shapes{};
    QColor m_lastPicked = Qt::black;
    bool m_applied = false;
};

QWidget *createForm_EDT_COR();
