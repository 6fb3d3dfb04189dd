#include "ProgramViewCommands.h"

#include "ProgramViewPanel.h"
#include "app/Ribbon.h"
#include "editor/EditorArea.h"
#include "lang/Texts.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QSplitter>
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
    follower->setObjectName(QStringLiteral("ProgramViewCaptionFollower"));
    follower->apply();
    page->installEventFilter(follower);
    QObject::connect(button, &QToolButton::toggled, panel, [panel](bool on) {
        panel->setVisible(on);
        // Shown the first time, the panel would take the width it asks for and
        // squeeze the editor: the tabs keep three fifths. Later the splitter
        // keeps what the user dragged.
        auto *beside = qobject_cast<QSplitter *>(panel->parentWidget());
        if (on && beside && !panel->property("sized").toBool()) {
            panel->setProperty("sized", true);
            const int total = beside->width() - beside->handleWidth();
            if (total > 0)
                beside->setSizes({total * 3 / 5, total - total * 3 / 5});
        }
        EditorArea *area = EditorArea::instance();
        panel->setEditor(on && area ? area->CurrentEditor() : nullptr, on && area ? area->CurrentFileName() : QString());
    });
}

void applyProgramViewTexts(QWidget *main)
{
    if (auto *follower = dynamic_cast<CaptionFollower *>(main->findChild<QObject *>(QStringLiteral("ProgramViewCaptionFollower"))))
        follower->apply();
    // Read again: the figures and the reason for an empty view are texts too.
    if (auto *panel = main->findChild<ProgramViewPanel *>(QStringLiteral("ProgramView")))
        panel->refresh();
}
