#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QObject;
class QWidget;

// Copying the current texts (lang/Texts.h) into the controls of every window.
//
// How a window is built so that its texts arrive. Every text key that is not a
// message names its place: "Window.Control", "Window.Caption",
// "Window.Control.Hint", "Window.Control.ColumnN" or "Window.Control.ItemN".
//
// Window: the window whose objectName() is the key's first part ("Form_Main").
//   It is looked for among the windows given, then among their descendants, so a
//   window embedded in another one (a docked panel) is still found. Its
//   controls are found by objectName() among its descendants, QObjects included
//   (QAction), but never inside a child window (a descendant that isWindow(), or
//   whose object name is that of another window).
//
// "Window.Caption": the window title (setWindowTitle).
//
// "Window.Control": the control's caption, by the first rule that fits:
//   1. The object has a property named "caption" (a Q_PROPERTY(QString caption
//      ...) or a dynamic property set beforehand): that property is set, and the
//      object shows it. This is the rule for the ribbon ("Ribbon1"), ribbon
//      groups ("RibbonGroup5") and any widget of our own with a caption.
//   2. The object is a page of a QTabWidget (a ribbon page "RibbonPage2", a tab
//      sheet "TabSheet1"): the text of its tab in that tab widget.
//   3. QAction: setText. QAbstractButton (buttons, check boxes, radio buttons):
//      setText. QLabel: setText. QGroupBox (group boxes, radio groups): setTitle.
//      A panel that shows a caption is a QLabel (it is a QFrame) or rule 1.
//   Texts are set exactly as they are: "&" stays in the text, where buttons and
//   actions read it as the accelerator mark.
//
// "Window.Control.Hint": the tool tip of the widget or action.
//
// "Window.Control.ColumnN": the title of column N (from 0) of an item view:
//   1. The object has an invokable method setColumnCaption(int, QString)
//      (Q_INVOKABLE or a slot): it is called. This is the hook for views whose
//      model keeps fixed headers (QFileSystemModel).
//   2. QTableWidget: its horizontal header item N (created when missing).
//   3. Any other QAbstractItemView (QTreeWidget, QTreeView, QTableView): the
//      model's setHeaderData(N, Qt::Horizontal, text, Qt::DisplayRole); the model
//      must have the column and accept the change.
//
// "Window.Control.ItemN": entry N (from 0) of a QComboBox or QListWidget, or the
//   N-th QRadioButton (creation order) inside a radio-group widget. The entry
//   must exist. Three lists are instead emptied and refilled from their keys, with
//   no selection afterwards and no change signals: Form_Config.ComboBox1 (the
//   language names), Form_Maquinas.ComboBox2 (an empty entry, then the pictures)
//   and Form_Maquinas.ComboBox1 (an empty entry, then the transfer types).
//
// Finally the ribbon caption ("Ribbon1") of Form_Transfer_SERIAL232_R is set to
// an empty text; its opening command sets it.
//
// A key whose window or control does not exist, or whose control cannot show
// that kind of text, is skipped; missingControlKeys() lists them.

// Applies the texts to the given windows, visiting them in the fixed window order.
void FUNC_Aplicar_Idioma(const QList<QWidget *> &windows);
// The same over every window of the application (QApplication::topLevelWidgets).
void FUNC_Aplicar_Idioma();

// The control keys that FUNC_Aplicar_Idioma would skip with these windows.
QStringList missingControlKeys(const QList<QWidget *> &windows);
QStringList missingControlKeys();

// Sets the caption of one control by rules 1 to 3 above (for commands that set a
// ribbon caption when they open a window). Returns false when no rule fits.
bool setControlCaption(QObject *control, const QString &text);
