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
