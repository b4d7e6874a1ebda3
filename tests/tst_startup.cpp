// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up: the command line, a missing settings file, placement of the
// window and the options panel. What start-up builds from good and refused
// files is in tst_hostile.
#include "hostprocess.h"
#include "testfiles.h"

namespace
{
// Starts a window on the pie definition with this command line (%T: the
// program folder), which may name the settings file "run 1.ini".
frmsimplechart& load(StartedWindow& s, const QString& commandLine, int width = 640)
{
    s.write("run 1.ini", "\"C:\\data\\\",x,3\n");
    return s.start(kPieDefinition, "unused", [&](frmsimplechart& w) {
        s.platform.commandLine = QString(commandLine).replace("%T", s.dir.path());
        w.resize(width, 400);
    });
}
} // namespace

class TestStartup : public QObject
{
    Q_OBJECT
  private slots:
    void missingSettingsShowsMessageOnce_data() { caseRows("startup-missing"); }
    void missingSettingsShowsMessageOnce();
    void placement_data() { caseRows("startup-placement"); }
    void placement();
    void followsWindow();
    void folderOnPath_data() { caseRows("startup-path"); }
    void folderOnPath();
};

void TestStartup::folderOnPath()
{
    QFETCH(QByteArrayList, f);
    QTemporaryDir t;
    for (const QString prog : {"a/prog", "b/prog", "c/prog"}) {
        QVERIFY(QDir(t.path()).mkpath(prog.section('/', 0, 0)));
        QFile file(t.filePath(prog));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.setPermissions(prog.startsWith('a') ? QFile::ReadOwner
                                                 : QFile::ReadOwner | QFile::ExeOwner);
    }
    const QString before = QDir::currentPath();
    QVERIFY(QDir::setCurrent(t.filePath("c")));
    const std::string found =
        vp::folderOnPath(f[0].toStdString(), QString(f[1]).replace("{t}", t.path()).toStdString());
    QDir::setCurrent(before);
    QCOMPARE(QString::fromStdString(found), QString(f[2]).replace("{t}", t.path()));
}

void TestStartup::missingSettingsShowsMessageOnce()
{
    QFETCH(QByteArrayList, f);
    StartedWindow s;
    frmsimplechart& w = load(s, f[0]);
    QCOMPARE(s.platform.messages, QStringList{"Error finding ini file, check your setup."});
    // The window stays open with nothing built.
    QVERIFY(!s.platform.ended && !s.platform.pointerReset);
    QVERIFY(!w.context().pie.Visible() && !w.context().bar.Visible());
    QCOMPARE(w.context().pie.Items().Count() + ctl<QComboBox>(w, "Combo3")->count(), 0);
    QVERIFY(ctl<QLineEdit>(w, "Text5")->text().isEmpty());
}

void TestStartup::placement()
{
    QFETCH(QByteArrayList, f);
    StartedWindow s;
    s.platform.screenWidthTwips = f[1].toDouble();
    s.platform.screenHeightTwips = 14400;
    // Blanks around the path go; the blank inside stays.
    frmsimplechart& w = load(s, "   %T/run 1.ini   ", f[0].toInt());
    QVERIFY2(s.platform.messages.isEmpty(), qPrintable(s.platform.messages.join('|')));
    QCOMPARE(QString::fromStdString(w.context().state.settingsPath), s.path("run 1.ini"));
    QVERIFY(w.context().pie.Visible() && s.platform.pointerReset);
    // Pixel positions hold twips to within one pixel.
    QVERIFY2(qAbs(w.x() * 15 - f[2].toInt()) < 15, qPrintable(QString::number(w.x() * 15)));
    auto* panel = ctl<QTabWidget>(w, "SSTab1");
    QCOMPARE(panel->x(), w.x());
    const int top = static_cast<int>((14400 - w.height() * 15.0) / 2);
    QVERIFY(qAbs(panel->y() * 15 - top * 0.8) < 15);
    QVERIFY(!panel->isVisibleTo(&w));
}

// The shown chart follows the window: two thirds of the client area wide,
// 80 % of it high, 100 twips from its top, centred; a window covering the
// screen's available area shows it as start-up placed it. The smallest
// window holds the whole options panel, moved in where it must.
void TestStartup::followsWindow()
{
    StartedWindow s;
    frmsimplechart& w = s.start(kPieDefinition);
    w.optionsPanel().mnuoptions_Click();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QWidget* surface = ctl<QWidget>(w, "centralSurface");
    const QWidget* panel = ctl<QWidget>(w, "SSTab1");
    const QWidget& chart = w.context().pie;
    for (const QSize size : {QSize(700, 500), QSize(1, 1), QSize(790, 780)}) {
        w.resize(size);
        const QSize client = surface->size();
        QTRY_VERIFY(qAbs(chart.width() - client.width() * 2 / 3.0) <= 1 &&
                    qAbs(chart.height() - client.height() * 0.8) <= 1);
        QVERIFY(qAbs(2 * chart.x() + chart.width() - client.width()) <= 1 && chart.y() == 7);
        QVERIFY(surface->rect().contains(panel->geometry()) && panel->isVisible());
    }
    w.resize(w.screen()->availableGeometry().size());
    QTRY_COMPARE(chart.size(), QSize(1280, 864)); // two thirds and 80 % of 1920 x 1080
    QCOMPARE(chart.x(), (surface->width() - 1280) / 2);
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
