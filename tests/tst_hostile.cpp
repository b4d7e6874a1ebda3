// SPDX-License-Identifier: GPL-3.0-or-later
// Hostile chart and settings files through the window's start-up, and the
// batch renderer as a real process: byte paths, command-line errors, memory
// caps, a full or closed standard output. Cases are in tests/cases/hostile-*.tsv.
#include "testfiles.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <filesystem>
#include <fstream>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

const QString kDefinition = QStringLiteral("~VGRAPH.TMP");
const QByteArray kSettings = "\"C:\\VELDRA\\\",analysis,10\r\n";

// A table's file content: tests/corpus/<seed> for "@<seed>", `otherwise` for nothing.
QByteArray content(const QByteArray& field, const QByteArray& otherwise)
{
    return field.startsWith('@')
               ? readAll(QStringLiteral(VELDRA_CORPUS_DIR "/") + QString::fromUtf8(field.mid(1)))
           : field.isEmpty() ? otherwise
                             : field;
}

// What a drawn chart shows: "title (series names): label=value|...", the
// values being those of the pie or of every bar series ("v1,v2,...").
QString shown(frmsimplechart& w, QStringList* labels)
{
    QStringList names, items;
    auto add = [&](const QString& label, const QString& values) {
        *labels << label;
        items << label + "=" + values;
    };
    const PieItems& pie = w.context().pie.Items();
    const auto& bars = w.context().bar.Series();
    if (w.context().pie.Visible()) {
        names << QString::fromStdString(w.context().state.seriesNames[1]);
        for (int i = 1; i <= pie.Count(); ++i)
            add(pie.Item(i).Label(), QString::number(pie.Item(i).Value()));
    } else if (bars.Count() > 0) {
        for (int k = 1; k <= bars.Count(); ++k)
            names << bars.Item(k).Name();
        for (int i = 1; i <= bars.Item(1).Values().Count(); ++i) {
            QStringList values;
            for (int k = 1; k <= bars.Count(); ++k)
                values << QString::number(bars.Item(k).Values().Item(i).value);
            add(bars.Item(1).Values().Item(i).label, values.join(','));
        }
    }
    return ctl<QLineEdit>(w, "txtCaption")->text() + " (" + names.join('|') +
           "): " + items.join('|');
}

} // namespace

class TestHostile : public QObject
{
    Q_OBJECT
  private slots:
    void startUp_data();
    void startUp();
    void rendererProcess_data() { caseRows("hostile-renderer"); }
    void rendererProcess();
};

void TestHostile::startUp_data()
{
    caseRows("hostile-startup");
    // Every seed of the fuzz corpus is a case with a known outcome.
    const QByteArray table = readAll(QStringLiteral(VELDRA_CASES_DIR "/hostile-startup.tsv"));
    for (const QString& seed : QDir(QStringLiteral(VELDRA_CORPUS_DIR)).entryList(QDir::Files))
        QVERIFY2(table.contains("\t@" + seed.toUtf8() + "\t"), qPrintable("no case for " + seed));
}

void TestHostile::startUp()
{
    QFETCH(QByteArrayList, f);
    const QString kind = f[0], expected = QString::fromUtf8(f[4]);
    const QByteArray settings = content(f[2], kSettings);
    const int status = f[3].toInt();
    if (kind.contains("chmod") && geteuid() == 0)
        QSKIP("root reads files without read permission");

    StartedWindow s;
    const QString def = s.path(kDefinition);
    if (kind.isEmpty())
        s.write(kDefinition, content(f[1], kPieDefinition));
    else
        QCOMPARE(QProcess::execute("sh", {"-c", kind, "sh", def}), 0);
    QElapsedTimer timer;
    timer.start();
    frmsimplechart& w = s.start(QByteArray(), settings);
    // Nothing is read beyond what the outcome needs, whatever the file's
    // size: a guard against reading that grows faster than the file, loose
    // enough for a busy machine.
    QVERIFY2(timer.elapsed() < 15000, qPrintable(QString::number(timer.elapsed())));
    const QStringList& messages = s.platform.messages;
    auto* list = ctl<QListWidget>(w, "List1");

    if (status == 0) {
        QVERIFY2(messages.isEmpty(), qPrintable(messages.join('|').left(300)));
        QVERIFY(!s.platform.ended && s.platform.pointerReset);
        const bool pie = w.context().pie.Visible(), bar = w.context().bar.Visible();
        QVERIFY(!(pie && bar)); // an unknown kind builds neither
        QVERIFY(!(pie || bar) || (pie ? w.context().pie.Caption() : w.context().bar.Caption()) ==
                                     ctl<QLineEdit>(w, "txtCaption")->text());
        QStringList labels, listed;
        QCOMPARE(shown(w, &labels), expected);
        for (int i = 0; i < list->count(); ++i)
            listed << list->item(i)->text();
        QCOMPARE(listed, labels); // the options panel shows the chart's labels
        return;
    }
    QCOMPARE(messages.size(), 1);
    const QString message = messages.first();
    const QString file = settings == kSettings ? def : s.path("settings.ini");
    QVERIFY2(status == 3 || message.contains('"' + file + '"'), qPrintable(message));
    QVERIFY2(message.contains(expected, Qt::CaseInsensitive), qPrintable(message));
    // The message is for people: short, whatever the size of the file.
    QVERIFY2(message.size() < 600, qPrintable(QString::number(message.size())));
    QVERIFY(s.platform.ended && !s.platform.pointerReset);
    QCOMPARE(s.platform.exitStatus, status);
    QCOMPARE(w.context().pie.Items().Count() + w.context().bar.Series().Count() + list->count(), 0);
}

void TestHostile::rendererProcess()
{
    QFETCH(QByteArrayList, f);
    const QString special = f[1], problem = QString::fromUtf8(f[3]);
    const int exitCode = f[2].toInt();
    const QStringList labels = f[4].isEmpty() ? QStringList() : QString::fromUtf8(f[4]).split('|');
    const QByteArrayList args =
        (f[5].isEmpty() ? "--folder {folder} --size 320x240 -o {picture} --describe {settings}"
                        : f[5])
            .split(' ');
    const bool memory = special.startsWith("memory"); // with its cap in MiB
    qint64 memoryLimit = (memory ? special.mid(7).toLongLong() : 1024) << 20;
#if defined(__SANITIZE_ADDRESS__)
    if (special.startsWith("long") || memory)
        QSKIP("the address space cap that keeps this case safe does not work with ASan");
    memoryLimit = 0;
#endif
    // Paths are bytes (not always UTF-8) under a temporary folder.
    QTemporaryDir dir;
    const QByteArray root = QFile::encodeName(dir.path()) + "/";
    const QByteArray folder = f[6].isEmpty() ? root.chopped(1) : root + f[6];
    const QByteArray settings = root + (f[7].isEmpty() ? "settings.ini" : f[7]);
    const QByteArray picture = root + (f[8].isEmpty() ? "cafe.png" : f[8]);
    const QByteArray neighbour =
        root + "caf\xe0.png"; // differs from the picture's name in one byte
    const QByteArray kOld = "the picture saved earlier";
    namespace fs = std::filesystem;
    // QDir cannot remove names that are not UTF-8.
    const auto cleanUp = qScopeGuard([&] { fs::remove_all(root.toStdString()); });
    auto writeBytes = [](const QByteArray& path, const QByteArray& bytes) {
        std::ofstream(path.toStdString(), std::ios::binary) << bytes.toStdString();
    };
    auto readBytes = [](const QByteArray& path) {
        std::ifstream in(path.toStdString(), std::ios::binary);
        return QByteArray::fromStdString({std::istreambuf_iterator<char>(in), {}});
    };
    fs::create_directories(fs::path(settings.toStdString()).parent_path());
    fs::create_directories(folder.toStdString());
    writeBytes(folder + "/" + kDefinition.toUtf8(), content(f[0], kPieDefinition));
    writeBytes(settings, kSettings);
    writeBytes(picture, kOld);
    writeBytes(neighbour, kOld);
    QByteArray program = special == "viewer" ? VELDRA_VIEWER_PATH : VELDRA_RENDER_PATH;
    if (special.contains("installed") || special == "viewer") {
        const fs::path copy =
            fs::path(folder.toStdString()) / fs::path(program.toStdString()).filename();
        fs::copy_file(program.toStdString(), copy);
        program = QByteArray::fromStdString(copy.string());
        if (special == "viewer") // its settings file is named like its arguments
            writeBytes(root + args.join(' '), kSettings);
    }
    if (special.endsWith("shared"))
        ::mkdir(root + "shared", 0755);
    const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden);
    // Program and arguments pass as Latin-1 text, which the shell turns back
    // into the bytes they are (not always UTF-8).
    QStringList argv{"-c",
                     "for a; do set -- \"$@\" \"$(printf %s \"$a\" | iconv -f UTF-8 -t LATIN1)\"; "
                     "shift; done; exec \"$@\"",
                     "sh"};
    for (QByteArray arg : QByteArrayList{program} + args)
        argv << QString::fromLatin1(arg.replace("{folder}", folder)
                                        .replace("{picture}", picture)
                                        .replace("{settings}", settings));

    QProcess p;
    p.setWorkingDirectory(dir.path());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (special.startsWith("runtime")) { // XDG_RUNTIME_DIR unset, or as given
        const QString value = special.mid(8).replace("{root}", dir.path() + "/");
        value.isEmpty() ? env.remove("XDG_RUNTIME_DIR") : env.insert("XDG_RUNTIME_DIR", value);
        env.insert("TMPDIR", dir.path());
    }
    if (special == "viewer")
        env.insert("VELDRAPLOT_EXIT_AFTER_FIRST_PAINT", "1");
    p.setProcessEnvironment(env);
    if (special == "full stdout")
        p.setStandardOutputFile("/dev/full");
    const int closed = special == "closed stdout"  ? STDOUT_FILENO
                       : special == "closed stdin" ? STDIN_FILENO
                                                   : -1;
    p.setChildProcessModifier([memoryLimit, closed] {
        const rlimit limit{rlim_t(memoryLimit), rlim_t(memoryLimit)};
        if (memoryLimit > 0) // a run that would eat the machine's memory fails fast instead
            setrlimit(RLIMIT_AS, &limit);
        if (closed >= 0)
            close(closed);
    });
    QElapsedTimer timer;
    timer.start();
    p.start(QStringLiteral("/bin/sh"), argv);
    const bool finished = p.waitForFinished(30000);
    const qint64 elapsedMs = timer.elapsed();
    if (!finished)
        p.kill(), p.waitForFinished(5000);
    const QString err = QString::fromLocal8Bit(p.readAllStandardError());
    QVERIFY2(finished, "the renderer did not finish within 30 s");
    QVERIFY2(p.exitStatus() == QProcess::NormalExit && !err.contains("runtime error") &&
                 !err.contains("AddressSanitizer"),
             qPrintable("crashed (out of memory?) after " + QString::number(elapsedMs) +
                        " ms: " + err.left(2000)));
    QCOMPARE(p.exitCode(), exitCode);
    // "long S": done within S seconds, however long the texts.
    QVERIFY2(!special.startsWith("long ") || elapsedMs < special.mid(5).toInt() * 1000,
             qPrintable(QString::number(elapsedMs) + " ms"));
    const QByteArray out = p.readAllStandardOutput();
    // No file but the picture is touched: no temporary or runtime folder is left.
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden), before);
    QCOMPARE(readBytes(neighbour), kOld);
    if (special == "viewer")
        return;

    if (exitCode != 0) {
        // Qt may warn on standard error too; the program's message is a line of its own.
        const qsizetype at =
            err.indexOf(QLatin1String(exitCode == 64 ? "veldraplot-render: " : "VELDRAPLOT: "));
        QVERIFY2(at == 0 || (at > 0 && err.at(at - 1) == '\n'), qPrintable(err.left(500)));
        QVERIFY2(err.contains(problem) && err.size() < 1000, qPrintable(err.left(500)));
        QVERIFY2(exitCode != 2 || err.contains(QFile::decodeName(folder) + "/" + kDefinition),
                 qPrintable(err.left(500)));
        QVERIFY(out.isEmpty());
        QCOMPARE(readBytes(picture), kOld);
        return;
    }
    QVERIFY2(!err.contains(QLatin1String("VELDRAPLOT: ")) && !err.contains("QStandardPaths"),
             qPrintable(err));
    QCOMPARE(QImage::fromData(readBytes(picture), "PNG").size(), QSize(320, 240));
    QStringList drawn; // of a pie
    const QJsonObject doc = QJsonDocument::fromJson(out).object();
    for (const QJsonValue& item : doc["pie"].toObject()["Items"].toArray())
        drawn << item.toObject()["label"].toString();
    QCOMPARE(drawn, labels);
    if (!labels.isEmpty()) // the description shows the title as the chart does
        QCOMPARE(doc["chartTitle"].toString(), doc["pie"].toObject()["Caption"].toString());
}

QTEST_MAIN(TestHostile)
#include "tst_hostile.moc"
