#include "ImagesWindow.h"

#include "MachinePictures.h"
#include "app/WindowFactories.h"

#include <QLabel>
#include <QPixmapCache>

TForm_Imagens::TForm_Imagens(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form_Imagens"));
    for (int n = 1; n <= MachinePictures::Count; ++n) {
        auto *image = new QLabel(this);
        image->setObjectName(QStringLiteral("Image%1").arg(n));
        image->setPixmap(machinePicture(n));
        image->setGeometry((n - 1) * 40, 0, 40, 40);
        image->setScaledContents(true);
    }
}

QPixmap TForm_Imagens::machinePicture(int number)
{
    const QString path = MachinePictures::resourcePath(number);
    if (path.isEmpty())
        return QPixmap();
    QPixmap picture;
    if (!QPixmapCache::find(path, &picture)) {
        picture.load(path);
        QPixmapCache::insert(path, picture);
    }
    return picture;
}

QPixmap TForm_Imagens::machinePicture(const QString &number)
{
    return machinePicture(MachinePictures::pictureNumber(number));
}

QWidget *createForm_Imagens() { return new TForm_Imagens; }
