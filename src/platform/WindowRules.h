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
// What the window manager shows for a window (title bar, task switcher): its
// ribbon caption ("Zavrin - Select Machine") when it has one, else its own title
// unless that is empty or an internal name ("Form_Maquinas"), then "Zavrin".
void showCaptionAsTitle(QWidget *window);
// From now on every window but the main window gets its caption as title
// whenever it is shown.
void keepCaptionsAsTitles();
} // namespace WindowRules
