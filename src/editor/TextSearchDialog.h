#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class Ribbon;

// The find dialog, made anew each time it is used. The replace dialog is the same
// with a replacement text.
class TextSearchDialog : public QDialog
{
    Q_OBJECT

public:
    explicit TextSearchDialog(QWidget *parent = nullptr);

    QComboBox *cbSearchText() const { return m_searchText; }
    QComboBox *cbReplaceText() const { return m_replaceText; }
    QRadioButton *forwardButton() const { return m_forward; }
    QRadioButton *backButton() const { return m_back; }
    QCheckBox *cbSearchCaseSensitive() const { return m_caseSensitive; }
    QCheckBox *cbSearchWholeWords() const { return m_wholeWords; }
    QCheckBox *cbSearchFromCursor() const { return m_fromCursor; }
    QCheckBox *cbSearchSelectedOnly() const { return m_selectedOnly; }
    QCheckBox *cbRegularExpression() const { return m_regularExpression; }

    // The find (or replace) button: puts the texts on top of their lists, closes.
    void BitBtn1Click();

protected:
    TextSearchDialog(QWidget *parent, bool replace);

private:
    static constexpr int TextBoxWidth = 300;

    void applyTexts();
    void fitToTexts();

    Ribbon *m_ribbon;
    QGroupBox *m_texts;
    QLabel *m_findLabel;
    QLabel *m_withLabel = nullptr;
    QGroupBox *m_options;
    QGroupBox *m_direction;
    QPushButton *m_ok;
    QPushButton *m_cancel;
    QComboBox *m_searchText;
    QComboBox *m_replaceText = nullptr;
    QRadioButton *m_forward;
    QRadioButton *m_back;
    QCheckBox *m_caseSensitive;
    QCheckBox *m_wholeWords;
    QCheckBox *m_fromCursor;
    QCheckBox *m_selectedOnly;
    QCheckBox *m_regularExpression;
};
