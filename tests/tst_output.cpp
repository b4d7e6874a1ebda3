// SPDX-License-Identifier: GPL-3.0-or-later
// Saving the chart image in each format. (What save and copy take for each
// chart kind: tst_options.)
#include "pixels.h"
#include "testfiles.h"

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
  private slots:
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
};

QTEST_MAIN(TestOutput)
#include "tst_output.moc"
