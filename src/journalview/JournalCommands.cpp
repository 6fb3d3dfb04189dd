#include "JournalCommands.h"

#include "app/MainWindow.h"
#include "app/Ribbon.h"
#include "editor/OpenFromBrowser.h"
#include "journal/JournalCsv.h"
#include "journal/JournalRecorder.h"
#include "lang/Texts.h"

#include <QEvent>
#include <QFile>
#include <QHBoxLayout>
#include <QPointer>
#include <QStyle>
#include <QToolButton>

namespace {

QPointer<JournalWindow> g_window;

// Keeps the group's caption in the current language: the extra texts are not among those the
// language switch copies into the windows.
class JournalCaption : public QObject
{
public:
    JournalCaption(RibbonGroup *group, QToolButton *button) : QObject(group), m_group(group), m_button(button) {}

    void apply()
    {
        const QString caption = Texts::extraOrEnglish(QStringLiteral("Extra.JournalButton"));
        if (m_group->caption() != caption)
            m_group->setCaption(caption);
        m_button->setToolTip(Texts::extraOrEnglish(QStringLiteral("Extra.JournalButtonHint")));
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Show)
            apply();
        return false;
    }

private:
    RibbonGroup *m_group;
    QToolButton *m_button;
};

} // namespace

JournalWindow *journalWindow() { return g_window; }

void setJournalSources(JournalWindow::Loader loader, JournalWindow::CsvWriter writer)
{
    if (!g_window)
        return;
    g_window->setLoader(std::move(loader));
    g_window->setCsvWriter(std::move(writer));
}

void installJournalCommands(TForm_Main *main)
{
    auto *receiveGroup = main->findChild<RibbonGroup *>(QStringLiteral("RibbonGroup19"));
    auto *page = receiveGroup ? qobject_cast<RibbonPage *>(receiveGroup->parentWidget()) : nullptr;
    if (!page)
        return;
    auto *group = new RibbonGroup(page, QStringLiteral("RibbonGroupJournal"));
    // Beside the transfer commands, not after the page's closing stretch.
    page->groups()->removeWidget(group);
    page->groups()->insertWidget(page->groups()->indexOf(receiveGroup) + 1, group);
    const QString iconPath = QStringLiteral(":/icons/journal.png");
    const QIcon icon = QFile::exists(iconPath) ? QIcon(iconPath) : main->style()->standardIcon(QStyle::SP_FileDialogListView);
    QToolButton *button = group->addButton(QStringLiteral("SpeedButtonJournal"), icon);
    auto *caption = new JournalCaption(group, button);
    caption->setObjectName(QStringLiteral("JournalCaption"));
    caption->apply();
    page->installEventFilter(caption);

    if (!g_window) {
        g_window = new JournalWindow;
        // The run's recorder: what is in the journal's database, and the entries kept while it
        // could not be written.
        g_window->setLoader([](QString *error) {
            JournalRecorder *recorder = JournalRecorder::current();
            if (!recorder)
                return QVector<JournalEntry>();
            JournalFilter all;
            all.newestFirst = true;
            return recorder->entries(all, error);
        });
        g_window->setCsvWriter([](const QVector<JournalEntry> &entries, QIODevice *device, QString *error) {
            return JournalCsv::write(device, entries, error);
        });
        if (JournalRecorder *recorder = JournalRecorder::current()) {
            QObject::connect(recorder, &JournalRecorder::recorded, g_window, [] {
                if (g_window->isVisible())
                    g_window->reload();
            });
        }
        QObject::connect(main, &QObject::destroyed, [] { delete g_window; });
    }
    g_window->setOpener([main](const QString &path) {
        openInEditor(main, path);
        main->raise();
        main->activateWindow();
    });
    QObject::connect(button, &QToolButton::clicked, g_window, [] {
        if (g_window->isVisible()) {
            g_window->reload();
            g_window->raise();
            g_window->activateWindow();
        } else {
            g_window->show();
        }
    });
}

void applyJournalTexts(TForm_Main *main)
{
    if (auto *caption = dynamic_cast<JournalCaption *>(main->findChild<QObject *>(QStringLiteral("JournalCaption"))))
        caption->apply();
    if (g_window)
        g_window->retranslate();
}
