#pragma once

class QWidget;
class QDialog;
class QString;

// Rules every secondary window shares.
namespace WindowRules {
// A window that gets maximised goes back to normal state at the screen centre.
void keepNormalWhenMaximised(QWidget *window);
// Normal state, centred on the screen.
void centreOnScreen(QWidget *window);
// How a command opens a secondary window: ribbon caption from its text key,
// normal state at the screen centre, shown modally. Returns the dialog's result.
int showModal(QDialog *window, const QString &ribbonCaption);
// Sets the caption of the window's ribbon strip (a child named "Ribbon1").
void setRibbonCaption(QWidget *window, const QString &caption);
} // namespace WindowRules
