#pragma once

#include <QDialog>
#include <QString>

class QComboBox;
class QLineEdit;
class QPushButton;

// The configuration window: the machine database file and the interface
// language of Zavrin.ini. A picked database file is accepted only after a trial
// connection and query on it succeed; Apply passes the choices on to the
// settings file, the texts of every window and the database connection.
class TForm_Config : public QDialog
{
    Q_OBJECT

public:
    explicit TForm_Config(QWidget *parent = nullptr);

    // The language codes in the order of the language list.
    static const QStringList &languageCodes();

    QLineEdit *Edit1() const { return m_edit1; }
    QComboBox *ComboBox1() const { return m_comboBox1; }
    QPushButton *BitBtn1() const { return m_bitBtn1; }
    QPushButton *BitBtn2() const { return m_bitBtn2; }
    QPushButton *BitBtn3() const { return m_bitBtn3; }

    QString chosenLanguageCode() const { return m_chosenLanguageCode; }
    QString chosenDatabaseFile() const { return m_chosenDatabaseFile; }
    bool databaseFileAccepted() const { return m_databaseFileAccepted; }

    // The show step: the current settings, nothing accepted yet.
    void FormShow();
    void ComboBox1Change();
    // Picks a database file and runs the trial on it; a refused file is reported
    // and changes nothing.
    void BitBtn2Click();
    // Asks for a PostgreSQL server URL instead of a file and runs the same trial on it.
    void serverButtonClick();
    QPushButton *serverButton() const { return m_serverButton; }
    // Apply. Throws Error when the settings file refuses a write or the database
    // cannot be reconnected; the window then stays open.
    void BitBtn1Click();
    void BitBtn3Click();

protected:
    void showEvent(QShowEvent *event) override;

private:
    QLineEdit *m_edit1;
    QComboBox *m_comboBox1;
    QPushButton *m_bitBtn1;
    QPushButton *m_bitBtn2;
    QPushButton *m_bitBtn3;
    QPushButton *m_serverButton;

    QString m_chosenLanguageCode;
    QString m_chosenDatabaseFile;
    bool m_databaseFileAccepted = false;
};

// The "Settings" command: opens the configuration window modally.
int SpeedButton32Click();
