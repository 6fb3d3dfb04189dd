#pragma once

#include <QDialog>
#include <QPixmap>

// The holder of the seven built-in machine pictures (Image1 to Image7). It is
// created at start-up and never shown; the lists, the selected-machine panel and
// the registration window take their pictures from it.
class TForm_Imagens : public QDialog
{
    Q_OBJECT

public:
    explicit TForm_Imagens(QWidget *parent = nullptr);

    // The picture of a picture number "1" to "7"; a null pixmap for any other text.
    static QPixmap machinePicture(const QString &number);
    static QPixmap machinePicture(int number);
};
