// Helpers for window tests: a temporary program folder holding a settings
// file and a chart definition, and a window started on them.
#pragma once

#include "axischart.h"
#include "frmsimplechart.h"
#include "menucommands.h"
#include "optionspanel.h"
#include "piechart.h"
#include "scriptedplatform.h"

#include <QFile>
#include <QtWidgets>
#include <QTemporaryDir>
#include <memory>

// A control of a window, panel or dialog, found by its object name.
template <class T>
T* ctl(const QObject& owner, const char* name)
{
    T* found = owner.findChild<T*>(QLatin1String(name));
    if (!found)
        qFatal("No control %s", name);
    return found;
}

struct StartedWindow {
    QTemporaryDir dir;
    ScriptedPlatform platform;
    std::unique_ptr<frmsimplechart> window;

    QString path(const QString& name) const { return dir.filePath(name); }

    void write(const QString& name, const QByteArray& bytes) const
    {
        QFile f(path(name));
        if (f.open(QIODevice::WriteOnly))
            f.write(bytes);
    }

    // Writes the definition and a settings file, then runs the start-up.
    frmsimplechart& start(const QByteArray& definition)
    {
        write(QStringLiteral("~VGRAPH.TMP"), definition);
        write(QStringLiteral("settings.ini"), "\"C:\\VELDRA\\\",analysis,10\r\n");
        platform.programFolder = dir.path();
        platform.commandLine = path(QStringLiteral("settings.ini"));
        window = std::make_unique<frmsimplechart>(platform);
        window->Form_Load();
        return *window;
    }
};

inline const QByteArray kPieDefinition =
    "VGRAPH,SIMPLEPIECHART,1,\"Favourite colour\",1,\"Count\"\n12, Red\n30, Blue\n8, Green\n";
