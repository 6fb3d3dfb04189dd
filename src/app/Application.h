#pragma once

#include <QList>
#include <QString>

class QWidget;
class TForm_Main;

// Start-up of the application and the windows of the run.
namespace Application {

struct Options
{
    QString appDirectory;       // where Zavrin.ini lives; the executable's folder by default
    bool showSplash = true;     // tests start without the modal splash
    bool maximise = true;
};

// Creates the main window and every secondary window in the fixed order, reading
// the settings and connecting the database on the way.
TForm_Main *createWindows(const Options &options);
// The show step of the main window: texts, splash, lists, messages panel, page 0.
void firstShow(TForm_Main *main, const Options &options);

// Every window of the run in creation order (the main window first).
const QList<QWidget *> &windows();
// A window by its object name ("Form_Config"), or nullptr.
QWidget *window(const QString &objectName);
// Deletes the windows (end of the run or of a test).
void destroyWindows();

// Runs the language procedure of LanguageCode and applies the texts to every window.
void applyLanguage();

int run(int argc, char **argv);

} // namespace Application
