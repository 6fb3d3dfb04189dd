#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

// The product directory window: creates customer_product_revision under the
// selected machine's program directory and shows it in the browser.
class TForm_DIR : public QDialog
{
    Q_OBJECT

public:
    explicit TForm_DIR(QWidget *parent = nullptr);

    QLineEdit *Edit1() const { return m_edit1; }
    QLineEdit *Edit2() const { return m_edit2; }
    QLineEdit *Edit3() const { return m_edit3; }
    QLineEdit *Edit4() const { return m_edit4; }

    // Before each opening: the program directory, and empty fields.
    void prepare(const QString &programDirectory);
    // Register: checks, creates the folder, reports and closes.
    void BitBtn1Click();
    void BitBtn3Click() { reject(); }

    QSize sizeHint() const override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QLineEdit *m_edit1;
    QLineEdit *m_edit2;
    QLineEdit *m_edit3;
    QLineEdit *m_edit4;
};

QWidget *createForm_DIR();
