// SPDX-License-Identifier: GPL-3.0-or-later
// Faults of the machine around a running chart: the disk fills up during a
// save, the target folder vanishes or is an odd file (tests/cases/faults-targets.tsv),
// the background picture is deleted or replaced after Browse chose it. Each gives a message; none
// crashes, loses an existing file or changes the chart.
#include "testfiles.h"

#include <QStorageInfo>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

class TestFaults : public QObject
{
    Q_OBJECT
  private slots:
    void awkwardTarget_data() { caseRows("faults-targets"); }
    void awkwardTarget();
    void backgroundImageGoneAfterBrowse_data() { caseRows("faults-background"); }
    void backgroundImageGoneAfterBrowse();
};

void TestFaults::awkwardTarget()
{
    QFETCH(QByteArrayList, f);
    const QString kind = f[0], problem = f[2];
    if (kind == "owner" && geteuid() != 0)
        QSKIP("only root may give a file to another user");
    StartedWindow s;
    frmsimplechart& w = s.start(kPieDefinition);
    auto save = [&](const QString& path) {
        s.platform.answerSave(path);
        ctl<QAction>(w, f[1].constData())->trigger();
    };
    const QString folder = s.path("pictures"), elsewhere = s.path("elsewhere.png"),
                  target = folder + "/" + (kind == "long" ? QString(250, 'a') : "chart.png");
    QVERIFY(QDir().mkpath(folder));
    const QByteArray name = QFile::encodeName(target), disk = QFile::encodeName(folder);
    save(s.path("roomy")); // how big the picture is when there is room for it
    const qint64 pictureSize = QFileInfo(s.path("roomy")).size();
    QVERIFY(pictureSize > 0 && QFile::remove(s.path("roomy")));
    if (kind.startsWith("full") &&
        (geteuid() != 0 || mount("tmpfs", disk.constData(), "tmpfs", 0, "size=64k") != 0))
        QSKIP("needs root to mount a 64 KiB tmpfs");
    const auto unmount = qScopeGuard([&] { umount2(disk.constData(), MNT_DETACH); });
    QCOMPARE(QProcess::execute("sh", {"-c", "cd \"$2\"; " + f[3], "sh", target, s.dir.path()}), 0);
    // A full disk: filled but for half the picture (whole pages) or nothing.
    if (kind.startsWith("full")) {
        QFile filler(folder + "/filler");
        const qint64 fill = std::max<qint64>(0, QStorageInfo(folder).bytesAvailable() -
                                                    (kind == "full" ? 0 : pictureSize / 2));
        QVERIFY(filler.open(QIODevice::WriteOnly) && filler.write(QByteArray(fill, 'f')) == fill &&
                filler.flush());
    }
    struct stat before = {}, after = {};
    stat(name.constData(), &before);
    const QStringList entriesBefore = entries(s.dir.path()) + entries(folder) + entries(target);
    const QByteArray targetBefore = readAll(target), folderBefore = readAll(folder);

    save(target);
    QVERIFY(!s.platform.ended && s.platform.modalShown == 0); // asks nothing
    if (!problem.isEmpty()) {
        QCOMPARE(s.platform.messages.size(), 1);
        const QString message = s.platform.messages[0];
        QVERIFY2(message.contains(target) && message.contains(problem), qPrintable(message));
        // Nothing re-creates the folder, writes elsewhere, leaves a half-written
        // temporary file or touches a file in its place.
        QCOMPARE(entries(s.dir.path()) + entries(folder) + entries(target), entriesBefore);
        QCOMPARE(readAll(target), targetBefore);
        QCOMPARE(readAll(folder), folderBefore);
        QVERIFY(!QFileInfo::exists(elsewhere));
        // The window goes on working: the next save into a folder with room works.
        save(elsewhere);
        QCOMPARE(s.platform.messages.size(), 1);
        QCOMPARE(QFileInfo(elsewhere).size(), pictureSize);
        if (kind.startsWith("full") && pictureSize < 48 * 1024) { // and so does the same save
            QVERIFY(QFile::remove(folder + "/filler"));
            save(target);
            QCOMPARE(QFileInfo(target).size(), pictureSize);
        }
        return;
    }
    QVERIFY2(s.platform.messages.isEmpty(), qPrintable(s.platform.messages.join('|')));
    QVERIFY(!QImage(target).isNull());
    QCOMPARE(QFileInfo(target).isSymLink(), kind == "link");
    QVERIFY(stat(name.constData(), &after) == 0);
    if (kind == "new") { // what any new file gets: read and write for all, less the umask
        const mode_t mask = umask(0);
        umask(mask);
        QCOMPARE(after.st_mode & 07777, 0666 & ~mask);
    } else if (kind != "link")
        QCOMPARE(std::tuple(after.st_mode, after.st_uid, after.st_gid),
                 std::tuple(before.st_mode, before.st_uid, before.st_gid));
}

void TestFaults::backgroundImageGoneAfterBrowse()
{
    QFETCH(QByteArrayList, f);
    const bool pie = f[0] == "pie", garbage = f[1] == "1", shownBefore = f[2] == "1";
    StartedWindow s;
    frmsimplechart& w =
        s.start(pie ? kPieDefinition
                    : "VGRAPH,SIMPLEBARCHART,x,Sales,2\nNorth,South\n10, 4, Apples\n3, 5, Pears\n");
    ChartComponent& chart = pie ? static_cast<ChartComponent&>(w.context().pie)
                                : static_cast<ChartComponent&>(w.context().bar);
    QImage back(40, 30, QImage::Format_RGB32);
    back.fill(QColor(255, 0, 255));
    const QString file = s.path(QStringLiteral("back.bmp"));
    QVERIFY(back.save(file, "BMP"));
    s.platform.answerOpen(file);
    ctl<QPushButton>(w, "Command10")->click(); // Browse
    QCOMPARE(ctl<QLineEdit>(w, "Text4")->text(), file);

    // A first Ok settles every other option, with or without the picture.
    // (The pie takes a second one after it was drawn: its legend markers
    // lose their outline on the first Ok after a paint, picture or not.)
    ctl<QCheckBox>(w, "Check1")->setChecked(shownBefore);
    w.optionsPanel().TamCmd1_Click();
    chart.renderImage(QSize(400, 300));
    w.optionsPanel().TamCmd1_Click();
    QVERIFY(s.platform.messages.isEmpty());
    QCOMPARE(chart.ShowBackImage(), shownBefore);
    const QImage reference = chart.renderImage(QSize(400, 300));

    if (garbage)
        s.write(QStringLiteral("back.bmp"), "this is not a picture any more\n");
    else
        QVERIFY(QFile::remove(file));
    ctl<QCheckBox>(w, "Check1")->setChecked(true);
    w.optionsPanel().TamCmd1_Click();
    QCOMPARE(s.platform.messages.size(), 1);
    const QString message = s.platform.messages[0];
    QVERIFY2(message.contains('"' + file + '"'), qPrintable(message));
    QVERIFY2(garbage || message.contains("does not exist"), qPrintable(message));
    QVERIFY(!s.platform.ended && ctl<QTabWidget>(w, "SSTab1")->isHidden());
    // The chart is as it was: the earlier picture, or none.
    QCOMPARE(chart.ShowBackImage(), shownBefore);
    QCOMPARE(chart.BackImage().size(), shownBefore ? QSize(40, 30) : QSize(0, 0));
    QVERIFY(chart.renderImage(QSize(400, 300)) == reference);
}

QTEST_MAIN(TestFaults)
#include "tst_faults.moc"
