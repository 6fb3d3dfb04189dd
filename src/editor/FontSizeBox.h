#pragma once

#include <QSpinBox>

// A size box that accepts any number while typing and holds it to its limits
// when left; left empty it takes its minimum.
class FontSizeBox : public QSpinBox
{
    Q_OBJECT

public:
    explicit FontSizeBox(QWidget *parent = nullptr);

protected:
    QValidator::State validate(QString &input, int &pos) const override;
    void fixup(QString &input) const override;
};
