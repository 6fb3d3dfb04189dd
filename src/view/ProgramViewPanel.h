#pragma once

#include "ToolpathCanvas.h"
#include "ToolpathInterpreter.h"
#include "ViewSettings.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <memory>

class CncEditor;
class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QTabWidget;

// The program view beside the editor tabs: the toolpath of the active tab's
// text with its figures. The text is read off the user interface thread; a
// newer text cancels the reading of an older one. Edits are followed after a
// short pause; the caret's line is highlighted; a click on the path puts the
// caret on the line that made the segment.
class ProgramViewPanel : public QWidget
{
    Q_OBJECT

public:
    explicit ProgramViewPanel(QWidget *parent = nullptr);
    ~ProgramViewPanel() override;

    // Follows an editor (nullptr: no program open); the view's settings of
    // the program's folder apply.
    void setEditor(CncEditor *editor, const QString &programPath = QString());
    CncEditor *editor() const { return m_editor; }
    ToolpathCanvas *canvas() const { return m_canvas; }
    // Reads the text again now (after the pause when `later`).
    void refresh(bool later = false);
    bool isReading() const { return m_reading; }
    QString figuresText() const;

    // Saves the view as it is shown, as PNG or (for a name ending in ".svg")
    // SVG, at the place the platform's save dialog gives. Errors go to the
    // error box.
    void exportPicture();
    // The same without the dialog; throws Error naming the file and the reason.
    void writePicture(const QString &path) const;

    ToolpathOptions options() const { return m_options; }
    void setOptions(const ToolpathOptions &options);
    // The folder whose settings apply ("" for a program without a file).
    QString folder() const { return m_folder; }
    // Brings the texts into the current language.
    void applyTexts();

signals:
    // A reading finished and its path is shown.
    void pathShown();

private:
    void startReading();
    void showPath(std::shared_ptr<const Toolpath> path, quint64 generation);
    void followCaret();
    void showSettings();
    void settingChanged();
    void reportSettingsError(bool written, const QString &error);

    ToolpathCanvas *m_canvas;
    QLabel *m_figures;
    QCheckBox *m_absoluteCentres;
    QCheckBox *m_diameter;
    QDoubleSpinBox *m_rapidRate;
    QLabel *m_settingsError;
    ViewSettings m_settings;
    QString m_folder;
    QPointer<CncEditor> m_editor;
    QList<QMetaObject::Connection> m_editorConnections;
    QTimer m_pause;
    ToolpathOptions m_options;

    quint64 m_generation = 0;
    std::shared_ptr<std::atomic<bool>> m_cancel;
    bool m_reading = false;
    bool m_fitNext = true;
    QString m_emptyReason;
};

// Puts the program view beside the tabs of the editor area, hidden, and
// returns it; `pages` must sit in a splitter.
ProgramViewPanel *installProgramView(QTabWidget *pages);
