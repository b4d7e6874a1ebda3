// Saving the chart image, copying it, switching the chart kind and the right
// mouse button.
#include "pixels.h"
#include "testfiles.h"

#include <QClipboard>
#include <QDir>
#include <QImageReader>
#include <QtTest>

namespace
{

// The file's format as found in its content, whatever its name says (PDF
// pages are checked elsewhere).
QByteArray formatOf(const QString& path)
{
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    return readAll(path).startsWith("%PDF-") ? "pdf" : reader.format();
}

// Whether each slice's colour covers a solid patch in the picture: 200
// pixels within the tolerance.
bool showsSlices(const QImage& image, frmsimplechart& w, int tolerance)
{
    const PieItems& items = w.context().pie.Items();
    for (int i = 1; i <= items.Count(); ++i) {
        const vp::Colour c = items.Item(i).Color();
        const QColor colour(vp::redOf(c), vp::greenOf(c), vp::blueOf(c));
        if (px::area(image, [&](QRgb p) {
                return px::distance(QColor(p), colour) <= tolerance;
            }).count < 200)
            return false;
    }
    return items.Count() > 0;
}

} // namespace

class TestOutput : public QObject
{
    Q_OBJECT
    QString startDir_;

  private slots:
    void init()
    {
        startDir_ = QDir::currentPath();
        QGuiApplication::clipboard()->clear();
    }
    void cleanup() { QDir::setCurrent(startDir_); }

    void saveWritesFormatByCommand_data() { caseRows("output-save"); }
    // The command alone decides the encoding; the name is used as given.
    void saveWritesFormatByCommand()
    {
        QFETCH(QByteArrayList, f);
        const QString name = f[1];
        const QByteArray format = f[2];
        const int kept = f[3].toInt();
        StartedWindow s;
        frmsimplechart& w = s.start(kPieDefinition);
        QVERIFY(QDir(s.dir.path()).mkdir("out"));
        const QString target = s.path("out/" + name);
        s.platform.answerSave(target);
        ctl<QAction>(w, f[0].constData())->trigger();
        const QString ext = QStringList{"JPG", "BMP", "TIF", "GIF", "PNG", "SVG", "PDF"}[kept];
        QCOMPARE(s.platform.lastSave.Filter, QString("*.%1 (*.%1)|*.%1").arg(ext));
        QVERIFY2(s.platform.messages.isEmpty(), qPrintable(s.platform.messages.join('|')));
        QCOMPARE(entries(s.path("out")), QStringList{name}); // that name, nothing beside it
        const QImage image(target);
        QCOMPARE(formatOf(target), format);
        QCOMPARE(image.size(), format == "pdf" ? QSize(0, 0) : w.context().pie.size());
        QVERIFY(format == "pdf" ||
                showsSlices(image, w, format == "jpeg" || format == "gif" ? 24 : 2));
        const vp::ChartState& st = w.context().state;
        const std::string* names[] = {&st.jpgFileName, &st.bmpFileName, &st.tifFileName,
                                      &st.gifFileName, &st.pngFileName, &st.svgFileName,
                                      &st.pdfFileName};
        for (int i = 0; i < 7; ++i)
            QCOMPARE(QString::fromStdString(*names[i]), i == kept ? target : QString());
    }

    void nothingSavedWithoutName_data() { caseRows("output-noname"); }
    void nothingSavedWithoutName()
    {
        QFETCH(QByteArrayList, f);
        const int error = f[1].toInt();
        const QString name = f[2], message = f[3];
        StartedWindow s;
        frmsimplechart& w = s.start(kPieDefinition);
        QVERIFY(QDir(s.dir.path()).mkdir("cwd") && QDir::setCurrent(s.path("cwd")));
        w.context().state.pngFileName = "earlier.png";
        if (f[0] == "1")
            s.platform.saveAnswers.push_back(
                {{error, error ? QStringLiteral("Buffer too small") : QString()}, name});
        w.menuCommands().mnusavePNG_Click();
        QCOMPARE(QString::fromStdString(w.context().state.pngFileName), error ? QString() : name);
        QCOMPARE(entries(s.path("cwd")), QStringList());
        QCOMPARE(s.platform.messages, message.isEmpty() ? QStringList() : QStringList{message});
    }

    void componentChosenByKind_data() { caseRows("output-bykind"); }
    void componentChosenByKind()
    {
        QFETCH(QByteArrayList, f);
        StartedWindow s;
        frmsimplechart& w = s.start(f[0]);
        auto& kind = w.context().state.chartKind;
        if (f[1] != "-")
            kind = vp::parseChartKind(f[1].toStdString());
        if (f[2] == "1")
            w.menuCommands().mnuswitch_Click();
        const bool pie = f[3] == "1";
        ChartComponent& expected =
            pie ? static_cast<ChartComponent&>(w.context().pie) : w.context().bar;
        const QImage picture = expected.renderImage().convertToFormat(QImage::Format_RGB32);
        ctl<QAction>(w, "mnucopy")->trigger();
        const QImage copied =
            QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(copied, picture);
        s.platform.answerSave(s.path("bykind.png"));
        ctl<QAction>(w, "mnusavePNG")->trigger();
        QCOMPARE(QImage(s.path("bykind.png")).convertToFormat(QImage::Format_RGB32), picture);
        QVERIFY(s.platform.messages.isEmpty());
        QCOMPARE(w.context().pie.Visible(), f[0].contains("PIE")); // a switch changes no picture
        const vp::ChartKind before = kind;
        w.menuCommands().mnuswitch_Click();
        QCOMPARE(kind, vp::parseChartKind(f[4].toStdString()));
        w.menuCommands().mnuswitch_Click();
        QCOMPARE(kind, before);
    }

    void rightPress_data() { caseRows("output-rightpress"); }
    // Opening the panel refills it, so a press that opens nothing keeps an
    // unapplied axis label.
    void rightPress()
    {
        QFETCH(QByteArrayList, f);
        const QString where = f[0];
        const bool opens = f[2] == "1";
        StartedWindow s;
        frmsimplechart& w = s.start(kPieDefinition);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        if (where.startsWith("tab") || where.startsWith("Label"))
            w.optionsPanel().mnuoptions_Click(), ctl<QTabWidget>(w, "SSTab1")->move(0, 0);
        ctl<QLineEdit>(w, "Text2")->setText("typed");
        QWidget* surface = ctl<QWidget>(w, "centralSurface");
        QWidget* target = where.isEmpty() ? surface : w.findChild<QWidget*>(where);
        const QPoint at(2, 2);
        QWidget* hit = target->childAt(at) ? target->childAt(at) : target; // under the pointer
        QVERIFY(surface->rect().contains(target->mapTo(surface, at)));
        QTest::mousePress(hit, Qt::MouseButton(f[1].toInt()), {}, hit->mapFrom(target, at));
        QCOMPARE(ctl<QTabWidget>(w, "SSTab1")->isVisible() &&
                     ctl<QLineEdit>(w, "Text2")->text() != "typed",
                 opens);
    }
};

QTEST_MAIN(TestOutput)
#include "tst_output.moc"
