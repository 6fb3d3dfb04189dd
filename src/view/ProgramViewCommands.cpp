#include "ProgramViewCommands.h"

#include "ProgramViewPanel.h"
#include "app/Ribbon.h"
#include "editor/EditorArea.h"
#include "lang/Texts.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QTabWidget>
#include <QToolButton>

namespace {

// Keeps the group's caption in the current language: the extra texts are not
// among those the language switch copies into the windows.
class CaptionFollower : public QObject
{
public:
    CaptionFollower(RibbonGroup *group, QToolButton *button) : QObject(group), m_group(group), m_button(button) {}

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Show)
            apply();
        return false;
    }

public:
    void apply()
    {
        const QString caption = Texts::extraOrEnglish(QStringLiteral("Extra.ViewButton"));
        if (m_group->caption() != caption)
            m_group->setCaption(caption);
        m_button->setToolTip(Texts::extraOrEnglish(QStringLiteral("Extra.ViewButtonHint")));
    }

private:
    RibbonGroup *m_group;
    QToolButton *m_button;
};

} // namespace

void installProgramViewCommands(QWidget *main)
{
    auto *pages = main->findChild<QTabWidget *>(QStringLiteral("PageControl1"));
    auto *colourGroup = main->findChild<RibbonGroup *>(QStringLiteral("RibbonGroup18"));
    auto *page = colourGroup ? qobject_cast<RibbonPage *>(colourGroup->parentWidget()) : nullptr;
    if (!pages || !page)
        return;
    ProgramViewPanel *panel = installProgramView(pages);
    if (!panel)
        return;
    auto *group = new RibbonGroup(page, QStringLiteral("RibbonGroupProgramView"));
    // Beside the other editor groups, not after the page's closing stretch.
    page->groups()->removeWidget(group);
    page->groups()->insertWidget(page->groups()->indexOf(colourGroup) + 1, group);
    QIcon icon(QStringLiteral(":/icons/program-view.png"));
    QToolButton *button = group->addButton(QStringLiteral("SpeedButtonProgramView"), icon);
    button->setCheckable(true);
    auto *follower = new CaptionFollower(group, button);
    follower->apply();
    page->installEventFilter(follower);
    QObject::connect(button, &QToolButton::toggled, panel, [panel](bool on) {
        panel->setVisible(on);
        panel->setEditor(on && EditorArea::instance() ? EditorArea::instance()->CurrentEditor() : nullptr);
    });
}
