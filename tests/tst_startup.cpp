// Start-up: the command line, the settings file check, placement of the
// window and the options panel, and refusal of files the program cannot use.
#include "testfiles.h"

#include <QtTest>

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void trimmedCommandLineFindsSettings();
    void missingSettingsShowsMessageOnce_data();
    void missingSettingsShowsMessageOnce();
    void placement_data();
    void placement();
    void firstReadingFillsCaptionAndLists();
    void badInputEndsWithMessage_data();
    void badInputEndsWithMessage();
    void categoryLimitEndsProgram();
};

void TestStartup::trimmedCommandLineFindsSettings()
{
    StartedWindow s;
    s.write("~VGRAPH.TMP", kPieDefinition);
    s.write("run 1.ini", "\"C:\\data\\\",x,3\n");
    s.platform.programFolder = s.dir.path();
    // Blanks around the path go; the blank inside stays.
    s.platform.commandLine = "   " + s.path("run 1.ini") + "   ";
    frmsimplechart w(s.platform);
    w.Form_Load();
    QVERIFY2(s.platform.messages.isEmpty(), qPrintable(s.platform.messages.join('|')));
    QCOMPARE(QString::fromStdString(w.context().state.settingsPath), s.path("run 1.ini"));
    QCOMPARE(QString::fromStdString(w.context().state.appFolder), s.dir.path() + "/");
    QVERIFY(w.context().pie.Visible());
    QVERIFY(s.platform.pointerReset);
}

void TestStartup::missingSettingsShowsMessageOnce_data()
{
    QTest::addColumn<QString>("commandLine");
    QTest::newRow("no such file") << QStringLiteral("/nonexistent/veldra.ini");
    QTest::newRow("empty command line") << QString();
    QTest::newRow("only blanks") << QStringLiteral("    ");
}

void TestStartup::missingSettingsShowsMessageOnce()
{
    QFETCH(QString, commandLine);
    StartedWindow s;
    s.write("~VGRAPH.TMP", kPieDefinition);
    s.platform.programFolder = s.dir.path();
    s.platform.commandLine = commandLine;
    frmsimplechart w(s.platform);
    w.Form_Load();
    QCOMPARE(s.platform.messages, QStringList{"Error finding ini file, check your setup."});
    // The window stays open with nothing built.
    QVERIFY(!s.platform.ended);
    QVERIFY(!w.context().pie.Visible());
    QVERIFY(!w.context().bar.Visible());
    QCOMPARE(w.context().pie.Items().Count(), 0);
    QCOMPARE(ctl<QComboBox>(w, "Combo3")->count(), 0);
    QVERIFY(ctl<QLineEdit>(w, "Text5")->text().isEmpty());
    QCOMPARE(w.context().state.brightColors[1], 0);
    QVERIFY(!s.platform.pointerReset);
}

void TestStartup::placement_data()
{
    QTest::addColumn<int>("windowWidthPx");
    QTest::addColumn<double>("screenWidth");
    QTest::addColumn<int>("expectedLeftTwips");
    // 9000-twip window on a 19200-twip screen: (19200 - 9000) / 2.
    QTest::newRow("even difference") << 600 << 19200.0 << 5100;
    // A difference of 101 twips is halved with the remainder dropped.
    QTest::newRow("odd difference") << 600 << 9101.0 << 50;
    // Halves round to the even neighbour before halving: 100.5 -> 100.
    QTest::newRow("half rounds to even") << 600 << 9100.5 << 50;
    QTest::newRow("102.5 rounds to 102") << 600 << 9102.5 << 51;
}

void TestStartup::placement()
{
    QFETCH(int, windowWidthPx);
    QFETCH(double, screenWidth);
    QFETCH(int, expectedLeftTwips);
    StartedWindow s;
    s.write("~VGRAPH.TMP", kPieDefinition);
    s.write("settings.ini", "a,b,1\n");
    s.platform.programFolder = s.dir.path();
    s.platform.commandLine = s.path("settings.ini");
    s.platform.screenWidthTwips = screenWidth;
    s.platform.screenHeightTwips = 14400;
    frmsimplechart w(s.platform);
    w.resize(windowWidthPx, 400);
    w.Form_Load();
    const int left = w.x() * 15;
    // Pixel positions hold twips to within one pixel.
    QVERIFY2(qAbs(left - expectedLeftTwips) < 15, qPrintable(QString::number(left)));
    QCOMPARE(ctl<QTabWidget>(w, "SSTab1")->x(), w.x());
    const int top = static_cast<int>((14400 - w.height() * 15.0) / 2);
    QVERIFY(qAbs(ctl<QTabWidget>(w, "SSTab1")->y() * 15 - top * 0.8) < 15);
    QVERIFY(!ctl<QTabWidget>(w, "SSTab1")->isVisibleTo(&w));
}

void TestStartup::firstReadingFillsCaptionAndLists()
{
    StartedWindow s;
    frmsimplechart& w = s.start("H,OTHERKIND,unused,\"The title\",1,\"n\"\n1, a\n");
    QVERIFY(s.platform.messages.isEmpty());
    QCOMPARE(ctl<QLineEdit>(w, "txtCaption")->text(), QStringLiteral("The title"));
    QCOMPARE(ctl<QComboBox>(w, "Combo3")->count(), 10);
    QCOMPARE(ctl<QComboBox>(w, "Combo3")->itemText(0), QStringLiteral("1"));
    QCOMPARE(ctl<QComboBox>(w, "Combo3")->itemText(9), QStringLiteral("10"));
    QCOMPARE(ctl<QComboBox>(w, "Combo3")->currentText(), QStringLiteral("1"));
    for (QLineEdit* box : {ctl<QLineEdit>(w, "Text5"), ctl<QLineEdit>(w, "Text6"), ctl<QLineEdit>(w, "Text7"), ctl<QLineEdit>(w, "Text8"), ctl<QLineEdit>(w, "Text9"), ctl<QLineEdit>(w, "Text20")})
        QCOMPARE(box->text(), QApplication::font().family());
    // An unknown kind builds no chart.
    QVERIFY(!w.context().pie.Visible());
    QVERIFY(!w.context().bar.Visible());
}

void TestStartup::badInputEndsWithMessage_data()
{
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<QByteArray>("definition");
    QTest::addColumn<QString>("namedFile");
    QTest::newRow("settings with two fields") << QByteArray("a,b\n") << kPieDefinition
                                              << "settings.ini";
    QTest::newRow("settings third field not a number")
        << QByteArray("a,b,many\n") << kPieDefinition << "settings.ini";
    QTest::newRow("empty definition") << QByteArray("a,b,1\n") << QByteArray() << "~VGRAPH.TMP";
    QTest::newRow("definition ends inside names")
        << QByteArray("a,b,1\n") << QByteArray("H,SIMPLEBARCHART,1,T,3,\"a\"") << "~VGRAPH.TMP";
    QTest::newRow("non-numeric N") << QByteArray("a,b,1\n")
                                   << QByteArray("H,SIMPLEPIECHART,1,T,lots,\"a\"\n1, x\n")
                                   << "~VGRAPH.TMP";
}

void TestStartup::badInputEndsWithMessage()
{
    QFETCH(QByteArray, settings);
    QFETCH(QByteArray, definition);
    QFETCH(QString, namedFile);
    StartedWindow s;
    s.write("~VGRAPH.TMP", definition);
    s.write("settings.ini", settings);
    s.platform.programFolder = s.dir.path();
    s.platform.commandLine = s.path("settings.ini");
    frmsimplechart w(s.platform);
    w.Form_Load();
    QCOMPARE(s.platform.messages.size(), 1);
    QVERIFY2(s.platform.messages[0].contains(s.path(namedFile)), qPrintable(s.platform.messages[0]));
    QVERIFY(s.platform.ended);
    QVERIFY(s.platform.exitStatus != 0);
    QCOMPARE(w.context().pie.Items().Count(), 0);
}

void TestStartup::categoryLimitEndsProgram()
{
    QByteArray def = "H,WSTACKEDBAR\nA,B,n\n\"t\",201";
    for (int i = 1; i <= 201; ++i)
        def += ",\"s" + QByteArray::number(i) + "\"";
    def += ",1,\"b1\"\n";
    for (int i = 1; i <= 201; ++i)
        def += (i > 1 ? ", " : "") + QByteArray::number(i);
    def += "\n";
    StartedWindow s;
    frmsimplechart& w = s.start(def);
    QCOMPARE(s.platform.messages,
             QStringList{"One variable appears to be continuous rather than categorical. Perhaps "
                         "you meant to display a histogram (See Graph menu)."});
    QVERIFY(s.platform.ended);
    QCOMPARE(w.context().bar.Series().Count(), 0);
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
