// Faults of the machine around a running chart: the disk fills up during a
// save, the target folder vanishes between the dialog and the write, the
// background picture is deleted or replaced after Browse chose it. Each
// gives a message; none crashes, loses an existing file or changes the chart.
#include "testfiles.h"

#include "axischart.h"
#include "piechart.h"

#include <QDir>
#include <QtTest>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/mount.h>
#include <unistd.h>

namespace {

const QByteArray kBarDefinition =
    "VGRAPH,SIMPLEBARCHART,x,\"Sales\",2\nNorth,South\n10, 4, Apples\n3, 5, Pears\n";

using SaveCommand = void (frmsimplechart::*)();

SaveCommand saveCommand(const QString& format)
{
    if (format == "jpg")
        return &frmsimplechart::mnusave_Click;
    if (format == "bmp")
        return &frmsimplechart::mnusavebmp_Click;
    if (format == "tif")
        return &frmsimplechart::mnusavetif_Click;
    if (format == "gif")
        return &frmsimplechart::mnusavegif_Click;
    return &frmsimplechart::mnusavePNG_Click;
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A save dialog that, while it is open, lets something happen to the folder
// the user is about to save into.
class FolderChangingPlatform : public ScriptedPlatform {
public:
    std::function<void()> whileDialogOpen;
    DialogOutcome ShowSave(FileDialogState& dialog) override
    {
        const DialogOutcome outcome = ScriptedPlatform::ShowSave(dialog);
        if (whileDialogOpen)
            whileDialogOpen();
        return outcome;
    }
};

// Fills the file system under folder until it is full, then gives back
// `room` bytes. False when the folder did not fill up.
bool fillLeaving(const QString& folder, qint64 room)
{
    const QByteArray filler = QFile::encodeName(folder + "/filler");
    std::FILE* f = std::fopen(filler.constData(), "wb");
    if (!f)
        return false;
    const QByteArray block(4096, 'f');
    qint64 written = 0;
    bool full = false;
    for (int i = 0; i < 100000 && !full; ++i) {
        const std::size_t n = std::fwrite(block.constData(), 1, block.size(), f);
        written += static_cast<qint64>(n);
        if (n < static_cast<std::size_t>(block.size()) || std::fflush(f) != 0)
            full = true;
    }
    std::fclose(f);
    if (!full)
        return false;
    // Whatever fflush could not write is gone; the file holds what fitted.
    const qint64 size = QFileInfo(QString::fromLocal8Bit(filler)).size();
    return truncate(filler.constData(), room >= size ? 0 : size - room) == 0;
}

} // namespace

class TestFaults : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void diskFullDuringSave_data();
    void diskFullDuringSave();
    void targetFolderGone_data();
    void targetFolderGone();
    void backgroundImageGoneAfterBrowse_data();
    void backgroundImageGoneAfterBrowse();

private:
    QTemporaryDir mountRoot_;
    QString tinyDisk_; // a 64 KiB file system, empty when not mounted
};

void TestFaults::initTestCase()
{
    QVERIFY(mountRoot_.isValid());
    if (geteuid() != 0)
        return;
    const QString point = mountRoot_.filePath(QStringLiteral("tiny"));
    QVERIFY(QDir().mkpath(point));
    if (mount("tmpfs", QFile::encodeName(point).constData(), "tmpfs", 0, "size=64k") == 0)
        tinyDisk_ = point;
    else
        qWarning("no tmpfs for the full-disk cases: %s", std::strerror(errno));
}

void TestFaults::cleanupTestCase()
{
    if (!tinyDisk_.isEmpty())
        umount2(QFile::encodeName(tinyDisk_).constData(), MNT_DETACH);
}

void TestFaults::diskFullDuringSave_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<bool>("existing");
    QTest::addColumn<bool>("someRoom"); // room for about half of the picture
    for (const char* format : {"png", "bmp", "jpg", "tif", "gif"}) {
        QTest::addRow("%s over an existing file, no room", format) << format << true << false;
        QTest::addRow("%s over an existing file, room for half", format) << format << true << true;
        QTest::addRow("%s as a new file, room for half", format) << format << false << true;
    }
}

void TestFaults::diskFullDuringSave()
{
    QFETCH(QString, format);
    QFETCH(bool, existing);
    QFETCH(bool, someRoom);
    if (tinyDisk_.isEmpty())
        QSKIP("needs root to mount a 64 KiB tmpfs");

    StartedWindow s;
    frmsimplechart& w = s.start(kPieDefinition);
    QVERIFY(s.platform.messages.isEmpty());

    // How big the picture is when there is room for it.
    const QString roomy = s.path("roomy." + format);
    s.platform.answerSave(roomy);
    (w.*saveCommand(format))();
    QVERIFY2(s.platform.messages.isEmpty(), qPrintable(s.platform.messages.join('|')));
    const qint64 pictureSize = QFileInfo(roomy).size();
    QVERIFY(pictureSize > 0);

    // Start from an empty disk each time.
    for (const QString& name : QDir(tinyDisk_).entryList(QDir::Files | QDir::Hidden))
        QVERIFY(QFile::remove(tinyDisk_ + "/" + name));
    const QString target = tinyDisk_ + "/chart." + format;
    const QByteArray oldContent = "the picture saved earlier, which must survive";
    if (existing) {
        QFile old(target);
        QVERIFY(old.open(QIODevice::WriteOnly));
        QCOMPARE(old.write(oldContent), oldContent.size());
    }
    const qint64 room = someRoom ? pictureSize / 2 : 0;
    QVERIFY(fillLeaving(tinyDisk_, room));
    const QStringList before = QDir(tinyDisk_).entryList(QDir::Files | QDir::Hidden);

    s.platform.answerSave(target);
    (w.*saveCommand(format))();

    QCOMPARE(s.platform.messages.size(), 1);
    QVERIFY2(s.platform.messages[0].contains(target), qPrintable(s.platform.messages[0]));
    QVERIFY(!s.platform.ended);
    if (existing)
        QCOMPARE(readAll(target), oldContent);
    else
        QVERIFY(!QFileInfo::exists(target));
    // No half-written temporary file is left behind.
    QCOMPARE(QDir(tinyDisk_).entryList(QDir::Files | QDir::Hidden), before);

    // Once there is room again the same command saves (when the picture
    // fits the little disk at all).
    if (pictureSize > 48 * 1024)
        return;
    QVERIFY(QFile::remove(tinyDisk_ + "/filler"));
    s.platform.answerSave(target);
    (w.*saveCommand(format))();
    QCOMPARE(s.platform.messages.size(), 1);
    QCOMPARE(QFileInfo(target).size(), pictureSize);
}

void TestFaults::targetFolderGone_data()
{
    QTest::addColumn<QString>("when");
    QTest::addColumn<bool>("pie");
    for (bool pie : {true, false}) {
        const char* kind = pie ? "pie" : "bar";
        QTest::addRow("%s: folder removed before the command", kind) << "before" << pie;
        QTest::addRow("%s: folder removed while the dialog is open", kind) << "dialog" << pie;
        QTest::addRow("%s: folder replaced by a file while the dialog is open", kind)
            << "file" << pie;
        QTest::addRow("%s: folder and its old picture removed while the dialog is open", kind)
            << "withFile" << pie;
    }
}

void TestFaults::targetFolderGone()
{
    QFETCH(QString, when);
    QFETCH(bool, pie);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = dir.filePath(QStringLiteral("pictures"));
    QVERIFY(QDir().mkpath(folder));
    const QString target = folder + "/chart.png";
    if (when == "withFile") {
        QFile old(target);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old");
    }

    FolderChangingPlatform platform;
    QFile def(dir.filePath(QStringLiteral("~VGRAPH.TMP")));
    QVERIFY(def.open(QIODevice::WriteOnly));
    def.write(pie ? kPieDefinition : kBarDefinition);
    def.close();
    QFile ini(dir.filePath(QStringLiteral("settings.ini")));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("a,b,1\n");
    ini.close();
    platform.programFolder = dir.path();
    platform.commandLine = ini.fileName();
    frmsimplechart w(platform);
    w.Form_Load();
    QVERIFY(platform.messages.isEmpty());

    auto removeFolder = [&] { QVERIFY(QDir(folder).removeRecursively()); };
    if (when == "before") {
        removeFolder();
    } else {
        platform.whileDialogOpen = [&] {
            removeFolder();
            if (when == "file") {
                QFile blocker(folder);
                QVERIFY(blocker.open(QIODevice::WriteOnly));
                blocker.write("not a folder");
            }
        };
    }

    platform.answerSave(target);
    w.mnusavePNG_Click();
    QCOMPARE(platform.messages.size(), 1);
    QVERIFY2(platform.messages[0].contains(target), qPrintable(platform.messages[0]));
    QVERIFY(!platform.ended);
    QCOMPARE(w.state.pngFileName, target.toStdString());
    // Nothing re-creates the folder; a file in its place stays as it was.
    if (when == "file")
        QCOMPARE(readAll(folder), QByteArray("not a folder"));
    else
        QVERIFY(!QFileInfo::exists(folder));
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)
                 .size(),
             when == "file" ? 3 : 2);

    // The window goes on working: the next save into a folder that exists works.
    platform.whileDialogOpen = nullptr;
    const QString elsewhere = dir.filePath(QStringLiteral("elsewhere.png"));
    platform.answerSave(elsewhere);
    w.mnusavePNG_Click();
    QCOMPARE(platform.messages.size(), 1);
    QVERIFY(!QImage(elsewhere, "PNG").isNull());
}

void TestFaults::backgroundImageGoneAfterBrowse_data()
{
    QTest::addColumn<bool>("pie");
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("shownBefore"); // the picture was on the chart already
    QTest::addColumn<QString>("reason");
    for (bool pie : {true, false}) {
        const char* kind = pie ? "pie" : "bar";
        QTest::addRow("%s: deleted before the first Ok", kind)
            << pie << "delete" << false << "does not exist";
        QTest::addRow("%s: deleted while shown", kind) << pie << "delete" << true
                                                        << "does not exist";
        QTest::addRow("%s: replaced by text", kind) << pie << "garbage" << true << QString();
        QTest::addRow("%s: replaced by a folder", kind) << pie << "folder" << false << QString();
        QTest::addRow("%s: cut short to its first bytes", kind) << pie << "truncate" << true
                                                                 << QString();
    }
}

void TestFaults::backgroundImageGoneAfterBrowse()
{
    QFETCH(bool, pie);
    QFETCH(QString, change);
    QFETCH(bool, shownBefore);
    QFETCH(QString, reason);

    StartedWindow s;
    frmsimplechart& w = s.start(pie ? kPieDefinition : kBarDefinition);
    QVERIFY(s.platform.messages.isEmpty());
    ChartComponent& chart = pie ? static_cast<ChartComponent&>(w.PieChart1())
                                : static_cast<ChartComponent&>(w.barchart1());

    QImage back(40, 30, QImage::Format_RGB32);
    back.fill(QColor(255, 0, 255));
    const QString file = s.path(QStringLiteral("back.bmp"));
    QVERIFY(back.save(file, "BMP"));
    s.platform.answerOpen(file);
    w.ui.Command10->click(); // Browse
    QCOMPARE(w.ui.Text4->text(), file);

    // A first Ok settles every other option, with or without the picture.
    // (The pie takes a second one after it was drawn: its legend markers
    // lose their outline on the first Ok after a paint, picture or not.)
    w.ui.Check1->setChecked(shownBefore);
    w.TamCmd1_Click();
    chart.renderImage(QSize(400, 300));
    w.TamCmd1_Click();
    QVERIFY(s.platform.messages.isEmpty());
    QCOMPARE(chart.ShowBackImage(), shownBefore);
    const QImage reference = chart.renderImage(QSize(400, 300));

    if (change == "delete") {
        QVERIFY(QFile::remove(file));
    } else if (change == "garbage") {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("this is not a picture any more\n");
    } else if (change == "folder") {
        QVERIFY(QFile::remove(file));
        QVERIFY(QDir().mkdir(file));
    } else if (change == "truncate") {
        QFile f(file);
        QVERIFY(f.resize(20));
    }

    w.ui.Check1->setChecked(true);
    w.TamCmd1_Click();
    QCOMPARE(s.platform.messages.size(), 1);
    const QString message = s.platform.messages[0];
    QVERIFY2(message.contains(QLatin1Char('"') + file + QLatin1Char('"')), qPrintable(message));
    QVERIFY2(message.contains(reason), qPrintable(message));
    QVERIFY(!s.platform.ended);
    QVERIFY(w.ui.SSTab1->isHidden());
    // The chart is as it was: the earlier picture, or none.
    QCOMPARE(chart.ShowBackImage(), shownBefore);
    QCOMPARE(chart.BackImage().size(), shownBefore ? QSize(40, 30) : QSize(0, 0));
    QVERIFY(chart.renderImage(QSize(400, 300)) == reference);
}

QTEST_MAIN(TestFaults)
#include "tst_faults.moc"
