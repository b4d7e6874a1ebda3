// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers for window tests: a temporary program folder holding a settings
// file and a chart definition, and a window started on them.
#pragma once

#include "axischart.h"
#include "caserows.h"
#include "frmsimplechart.h"
#include "menucommands.h"
#include "optionspanel.h"
#include "piechart.h"
#include "scriptedplatform.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <QtWidgets>
#include <functional>
#include <memory>

// A control of a window, panel or dialog, found by its object name.
template <class T> T* ctl(const QObject& owner, const char* name)
{
    T* found = owner.findChild<T*>(QLatin1String(name));
    if (!found)
        qFatal("No control %s", name);
    return found;
}

// What the user sees of a control of `owner`, found by name. NAME: its caption or text (a
// separator reads "-", a tab widget its current tab's caption); NAME#i: tab i's caption;
// NAME.items: its entries, joined by "|"; NAME.colour: the colour in its middle; NAME.shown:
// whether it shows once its tab (or window) does; NAME.usable: shown and enabled; NAME.in: the
// frame, tab ("tab2"), menu or "menubar" holding it; NAME.P: its Qt property P (a yes/no as 1/0).
inline QString seenAs(const QObject& owner, const QString& target)
{
    const QString name = target.section('.', 0, 0), what = target.section('.', 1);
    QObject* o = owner.objectName() == name ? const_cast<QObject*>(&owner)
                                            : owner.findChild<QObject*>(name.section('#', 0, 0));
    auto* w = qobject_cast<QWidget*>(o);
    auto* menu = qobject_cast<QMenu*>(o);
    QAction* a = menu ? menu->menuAction() : qobject_cast<QAction*>(o);
    auto* tabs = qobject_cast<QTabWidget*>(o);
    if (!o)
        return "<no " + name + ">";
    if (name.contains('#'))
        return what == "usable" ? QString::number(tabs->isTabEnabled(name.section('#', 1).toInt()))
                                : tabs->tabText(name.section('#', 1).toInt());
    if (what.isEmpty() && (tabs || (a && a->isSeparator())))
        return tabs ? tabs->tabText(tabs->currentIndex()) : "-";
    for (const char* p : {"currentText", "text", "title", "windowTitle"})
        if (what.isEmpty() && o->property(p).isValid())
            return o->property(p).toString();
    QStringList out;
    if (what == "items") {
        for (int i = 0;
             qobject_cast<QListWidget*>(o) && i < qobject_cast<QListWidget*>(o)->count();)
            out << qobject_cast<QListWidget*>(o)->item(i++)->text();
        for (int i = 0; qobject_cast<QComboBox*>(o) && i < qobject_cast<QComboBox*>(o)->count();)
            out << qobject_cast<QComboBox*>(o)->itemText(i++);
        return out.join('|');
    }
    if (what == "colour")
        return w->grab().toImage().pixelColor(w->width() / 2, w->height() / 2).name();
    QWidget* page = w; // the tab page or window it is shown with
    while (page && page->parentWidget() && !qobject_cast<QStackedWidget*>(page->parentWidget()))
        page = page->parentWidget();
    if (what == "shown" || what == "usable")
        return QString::number((a ? a->isVisible() : w->isVisibleTo(page)) &&
                               (what == "shown" || (a ? a->isEnabled() : w->isEnabled())));
    if (what == "in" && a) {
        for (QObject* holder : a->associatedObjects())
            if (qobject_cast<QMenu*>(holder) && holder != menu)
                return holder->objectName();
        return "menubar";
    }
    for (QWidget* up = w ? w->parentWidget() : nullptr; what == "in" && up; up = up->parentWidget())
        if (qobject_cast<QGroupBox*>(up) || !up->parentWidget())
            return up->objectName();
        else if (up == page)
            return "tab" +
                   QString::number(qobject_cast<QTabWidget*>(page->parentWidget()->parentWidget())
                                       ->indexOf(page));
    const QVariant v = o->property(what.toLatin1());
    return v.typeId() == QMetaType::Bool ? QString::number(v.toBool()) : v.toString();
}

inline QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
}

struct StartedWindow {
    QTemporaryDir dir;
    ScriptedPlatform platform;
    std::unique_ptr<frmsimplechart> window;

    QString path(const QString& name) const { return dir.filePath(name); }

    QString write(const QString& name, const QByteArray& bytes) const
    {
        QFile f(path(name));
        if (f.open(QIODevice::WriteOnly))
            f.write(bytes);
        return f.fileName();
    }

    // Writes the definition (unless null) and a settings file, then runs the
    // start-up; `beforeLoad` may change the window and platform first.
    frmsimplechart& start(const QByteArray& definition,
                          const QByteArray& settings = "\"C:\\VELDRA\\\",analysis,10\r\n",
                          const std::function<void(frmsimplechart&)>& beforeLoad = {})
    {
        if (!definition.isNull())
            write(QStringLiteral("~VGRAPH.TMP"), definition);
        write(QStringLiteral("settings.ini"), settings);
        platform.programFolder = dir.path();
        platform.commandLine = path(QStringLiteral("settings.ini"));
        window = std::make_unique<frmsimplechart>(platform);
        if (beforeLoad)
            beforeLoad(*window);
        window->Form_Load();
        return *window;
    }
};

inline const QByteArray kPieDefinition =
    "VGRAPH,SIMPLEPIECHART,1,\"Favourite colour\",1,\"Count\"\n12, Red\n30, Blue\n8, Green\n";
