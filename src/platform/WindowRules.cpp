#include "WindowRules.h"

#include <QDialog>
#include <QEvent>
#include <QApplication>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QVariant>
#include <QWidget>

namespace {

class NormalWhenMaximised : public QObject
{
public:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::WindowStateChange) {
            auto *w = static_cast<QWidget *>(watched);
            if (w->windowState() & Qt::WindowMaximized) {
                QTimer::singleShot(0, w, [w] { WindowRules::centreOnScreen(w); });
            }
        }
        return false;
    }
};

class CaptionAsTitle : public QObject
{
public:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && watched->isWidgetType()) {
            auto *w = static_cast<QWidget *>(watched);
            if (w->isWindow() && !w->inherits("QMainWindow"))
                WindowRules::showCaptionAsTitle(w);
        }
        return false;
    }
};

} // namespace

namespace WindowRules {

void showCaptionAsTitle(QWidget *window)
{
    QString title;
    if (QObject *ribbon = window->findChild<QObject *>(QStringLiteral("Ribbon1")))
        title = ribbon->property("caption").toString();
    if (title.isEmpty()) {
        title = window->windowTitle();
        // Names of the design ("Form_Maquinas") mean nothing to an operator.
        if (title.isEmpty() || title == window->objectName() || title.startsWith(QLatin1String("Form_")))
            title = QStringLiteral("Zavrin");
    }
    if (window->windowTitle() != title)
        window->setWindowTitle(title);
}

void keepCaptionsAsTitles()
{
    static QPointer<CaptionAsTitle> filter;
    if (!filter && qApp) {
        filter = new CaptionAsTitle(qApp);
        qApp->installEventFilter(filter);
    }
}

void keepNormalWhenMaximised(QWidget *window) { window->installEventFilter(new NormalWhenMaximised(window)); }

void centreOnScreen(QWidget *window)
{
    window->setWindowState(window->windowState() & ~(Qt::WindowMaximized | Qt::WindowMinimized));
    QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QSize size = window->frameGeometry().size().isValid() ? window->frameGeometry().size() : window->size();
    window->move(area.center() - QPoint(size.width() / 2, size.height() / 2));
}

void setRibbonCaption(QWidget *window, const QString &caption)
{
    if (QObject *ribbon = window->findChild<QObject *>(QStringLiteral("Ribbon1")))
        ribbon->setProperty("caption", caption);
}

int showModal(QDialog *window, const QString &ribbonCaption)
{
    setRibbonCaption(window, ribbonCaption);
    window->adjustSize();
    centreOnScreen(window);
    return window->exec();
}

} // namespace WindowRules
