#include "ApplyLanguage.h"

#include "Texts.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QMetaProperty>
#include <QListWidget>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableWidget>

namespace {

// The lists refilled as a whole, with the entry put before their keyed entries.
struct RebuiltList
{
    const char *window;
    const char *control;
    bool leadingEmptyEntry;
};

constexpr RebuiltList rebuiltLists[] = {
    {"Form_Config", "ComboBox1", false},
    {"Form_Maquinas", "ComboBox2", true},
    {"Form_Maquinas", "ComboBox1", true},
};

enum class Place { WindowTitle, Caption, Hint, Column, Item, Unknown };

struct KeyPlace
{
    QString window;
    QString control;
    Place place = Place::Unknown;
    int index = -1;
};

// A numbered suffix such as "Column3"; -1 when `part` is not `prefix` + digits.
int numberAfter(const QString &part, QLatin1String prefix)
{
    if (!part.startsWith(prefix) || part.size() == prefix.size())
        return -1;
    bool ok = false;
    const int n = part.mid(prefix.size()).toInt(&ok);
    return ok && n >= 0 ? n : -1;
}

KeyPlace placeOf(const QString &key)
{
    const QStringList parts = key.split(QLatin1Char('.'));
    KeyPlace p;
    p.window = parts.value(0);
    if (parts.size() == 2) {
        p.control = parts.at(1);
        p.place = p.control == QLatin1String("Caption") ? Place::WindowTitle : Place::Caption;
    } else if (parts.size() == 3) {
        p.control = parts.at(1);
        const QString &suffix = parts.at(2);
        if (suffix == QLatin1String("Hint")) {
            p.place = Place::Hint;
        } else if ((p.index = numberAfter(suffix, QLatin1String("Column"))) >= 0) {
            p.place = Place::Column;
        } else if ((p.index = numberAfter(suffix, QLatin1String("Item"))) >= 0) {
            p.place = Place::Item;
        }
    }
    return p;
}

bool isRebuiltList(const KeyPlace &p)
{
    for (const RebuiltList &list : rebuiltLists) {
        if (p.window == QLatin1String(list.window) && p.control == QLatin1String(list.control))
            return true;
    }
    return false;
}

QWidget *findWindow(const QList<QWidget *> &windows, const QString &name)
{
    for (QWidget *w : windows) {
        if (w && w->objectName() == name)
            return w;
    }
    // A window placed inside another one (a docked panel).
    for (QWidget *w : windows) {
        if (!w)
            continue;
        if (QWidget *inner = w->findChild<QWidget *>(name))
            return inner;
    }
    return nullptr;
}

bool isOtherWindow(const QObject *o)
{
    static const QStringList names = [] {
        QStringList n = Texts::applyWindowOrder();
        for (const QString &key : Texts::allKeys())
            n.append(key.section(QLatin1Char('.'), 0, 0));
        n.removeDuplicates();
        return n;
    }();
    if (o->isWidgetType() && static_cast<const QWidget *>(o)->isWindow())
        return true;
    return names.contains(o->objectName());
}

// Breadth first, so the control nearest the window wins; never enters another window.
QObject *findControl(QObject *window, const QString &name)
{
    QList<QObject *> level = window->children();
    while (!level.isEmpty()) {
        QList<QObject *> next;
        for (QObject *o : std::as_const(level)) {
            if (isOtherWindow(o))
                continue;
            if (o->objectName() == name)
                return o;
            next += o->children();
        }
        level = next;
    }
    return nullptr;
}

bool hasCaptionProperty(const QObject *o)
{
    const int i = o->metaObject()->indexOfProperty("caption");
    if (i >= 0)
        return o->metaObject()->property(i).isWritable();
    return o->dynamicPropertyNames().contains(QByteArrayLiteral("caption"));
}

QTabWidget *tabWidgetOf(QWidget *page)
{
    auto *stack = qobject_cast<QStackedWidget *>(page->parentWidget());
    if (!stack)
        return nullptr;
    auto *tabs = qobject_cast<QTabWidget *>(stack->parentWidget());
    return tabs && tabs->indexOf(page) >= 0 ? tabs : nullptr;
}

// Each setter below sets the text when `text` is given, and otherwise only
// tells whether it could.

bool caption(QObject *o, const QString *text)
{
    if (hasCaptionProperty(o)) {
        if (text)
            o->setProperty("caption", *text);
        return true;
    }
    if (auto *w = qobject_cast<QWidget *>(o)) {
        if (QTabWidget *tabs = tabWidgetOf(w)) {
            if (text)
                tabs->setTabText(tabs->indexOf(w), *text);
            return true;
        }
    }
    if (auto *a = qobject_cast<QAction *>(o)) {
        if (text)
            a->setText(*text);
        return true;
    }
    if (auto *b = qobject_cast<QAbstractButton *>(o)) {
        if (text)
            b->setText(*text);
        return true;
    }
    if (auto *l = qobject_cast<QLabel *>(o)) {
        if (text)
            l->setText(*text);
        return true;
    }
    if (auto *g = qobject_cast<QGroupBox *>(o)) {
        if (text)
            g->setTitle(*text);
        return true;
    }
    return false;
}

bool hint(QObject *o, const QString *text)
{
    if (auto *a = qobject_cast<QAction *>(o)) {
        if (text)
            a->setToolTip(*text);
        return true;
    }
    if (auto *w = qobject_cast<QWidget *>(o)) {
        if (text)
            w->setToolTip(*text);
        return true;
    }
    return false;
}

bool column(QObject *o, int n, const QString *text)
{
    if (o->metaObject()->indexOfMethod("setColumnCaption(int,QString)") >= 0) {
        if (text)
            QMetaObject::invokeMethod(o, "setColumnCaption", Q_ARG(int, n), Q_ARG(QString, *text));
        return true;
    }
    if (auto *table = qobject_cast<QTableWidget *>(o)) {
        if (n >= table->columnCount())
            return false;
        if (text) {
            if (QTableWidgetItem *item = table->horizontalHeaderItem(n))
                item->setText(*text);
            else
                table->setHorizontalHeaderItem(n, new QTableWidgetItem(*text));
        }
        return true;
    }
    auto *view = qobject_cast<QAbstractItemView *>(o);
    QAbstractItemModel *model = view ? view->model() : nullptr;
    if (!model || n >= model->columnCount())
        return false;
    if (!text) {
        // Only a real change tells whether the model keeps header texts.
        const QVariant old = model->headerData(n, Qt::Horizontal, Qt::DisplayRole);
        return model->setHeaderData(n, Qt::Horizontal, old, Qt::DisplayRole);
    }
    return model->setHeaderData(n, Qt::Horizontal, *text, Qt::DisplayRole);
}

bool item(QObject *o, int n, const QString *text)
{
    if (auto *combo = qobject_cast<QComboBox *>(o)) {
        if (n >= combo->count())
            return false;
        if (text)
            combo->setItemText(n, *text);
        return true;
    }
    if (auto *list = qobject_cast<QListWidget *>(o)) {
        QListWidgetItem *entry = list->item(n);
        if (entry && text)
            entry->setText(*text);
        return entry != nullptr;
    }
    if (o->isWidgetType()) {
        const QList<QRadioButton *> buttons = o->findChildren<QRadioButton *>();
        if (n >= buttons.size())
            return false;
        if (text)
            buttons.at(n)->setText(*text);
        return true;
    }
    return false;
}

// Applies one key (or only checks it when `text` is null). False when it cannot.
bool applyKey(const QList<QWidget *> &windows, const KeyPlace &p, const QString *text)
{
    QWidget *window = findWindow(windows, p.window);
    if (!window)
        return false;
    if (p.place == Place::WindowTitle) {
        if (text)
            window->setWindowTitle(*text);
        return true;
    }
    QObject *control = findControl(window, p.control);
    if (!control)
        return false;
    switch (p.place) {
    case Place::Caption:
        return caption(control, text);
    case Place::Hint:
        return hint(control, text);
    case Place::Column:
        return column(control, p.index, text);
    case Place::Item:
        return item(control, p.index, text);
    default:
        return false;
    }
}

QComboBox *rebuiltCombo(const QList<QWidget *> &windows, const RebuiltList &list)
{
    QWidget *window = findWindow(windows, QLatin1String(list.window));
    return window ? qobject_cast<QComboBox *>(findControl(window, QLatin1String(list.control))) : nullptr;
}

QStringList keysOfList(const RebuiltList &list)
{
    const QString prefix = QLatin1String(list.window) + QLatin1Char('.') + QLatin1String(list.control)
                           + QLatin1String(".Item");
    QStringList keys;
    for (const QString &key : Texts::controlKeys()) {
        if (key.startsWith(prefix))
            keys.append(key);
    }
    return keys;
}

void rebuild(QComboBox *combo, const RebuiltList &list)
{
    // Refilling is not a choice of the user: no change handler may run.
    const QSignalBlocker blocker(combo);
    combo->clear();
    if (list.leadingEmptyEntry)
        combo->addItem(QString());
    for (const QString &key : keysOfList(list))
        combo->addItem(Texts::text(key));
    combo->setCurrentIndex(-1);
}

// The control keys grouped by window, in the order the windows are visited.
const QList<QStringList> &keysByWindow()
{
    static const QList<QStringList> groups = [] {
        QHash<QString, QStringList> byWindow;
        for (const QString &key : Texts::controlKeys())
            byWindow[key.section(QLatin1Char('.'), 0, 0)].append(key);
        QList<QStringList> result;
        for (const QString &window : Texts::applyWindowOrder())
            result.append(byWindow.value(window));
        return result;
    }();
    return groups;
}

} // namespace

bool setControlCaption(QObject *control, const QString &text)
{
    return control && caption(control, &text);
}

void FUNC_Aplicar_Idioma(const QList<QWidget *> &windows)
{
    for (const QStringList &keys : keysByWindow()) {
        for (const QString &key : keys) {
            const KeyPlace p = placeOf(key);
            if (p.place == Place::Item && isRebuiltList(p))
                continue;
            const QString text = Texts::text(key);
            applyKey(windows, p, &text);
        }
    }
    for (const RebuiltList &list : rebuiltLists) {
        if (QComboBox *combo = rebuiltCombo(windows, list))
            rebuild(combo, list);
    }
    if (QWidget *receive = findWindow(windows, QStringLiteral("Form_Transfer_SERIAL232_R"))) {
        if (QObject *ribbon = findControl(receive, QStringLiteral("Ribbon1")))
            setControlCaption(ribbon, QString());
    }
}

void FUNC_Aplicar_Idioma() { FUNC_Aplicar_Idioma(QApplication::topLevelWidgets()); }

QStringList missingControlKeys(const QList<QWidget *> &windows)
{
    QStringList missing;
    for (const QStringList &keys : keysByWindow()) {
        for (const QString &key : keys) {
            const KeyPlace p = placeOf(key);
            if (p.place == Place::Item && isRebuiltList(p))
                continue;
            if (!applyKey(windows, p, nullptr))
                missing.append(key);
        }
    }
    for (const RebuiltList &list : rebuiltLists) {
        if (!rebuiltCombo(windows, list))
            missing += keysOfList(list);
    }
    return missing;
}

QStringList missingControlKeys() { return missingControlKeys(QApplication::topLevelWidgets()); }
