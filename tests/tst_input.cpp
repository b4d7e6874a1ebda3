// The chart input: numeric values, the line splitter, and the readings of the
// settings file and the chart definition file. Failures of the readings are
// checked where the user sees them, in tst_hostile.
#include "linesplit.h"
#include "reader.h"
#include "testfiles.h"

using namespace vp;

namespace
{

const auto str = [](const QByteArray& b) { return b.toStdString(); };
const auto bytes = [](const std::string& s) { return QByteArray::fromStdString(s); };

} // namespace

class TestInput : public QObject
{
    Q_OBJECT

    QTemporaryDir dir_;

  private slots:
    // A text's numeric value, and that value rounded (halves to even) to a
    // 16-bit whole number.
    void numbers_data() { caseRows("input-numbers"); }
    void numbers()
    {
        QFETCH(QByteArrayList, f);
        const double value = f[1].toDouble();
        QCOMPARE(vp::numericValue(str(f[0])), value);
        std::int16_t out = 99;
        QCOMPARE(vp::roundToInt16(value, out), f[2] != "-");
        QCOMPARE(int(out), f[2] != "-" ? f[2].toInt() : 99);
    }

    // Splits a line into lineValues and the label at field F (fieldCount).
    void getnums_data() { caseRows("input-getnums"); }
    void getnums()
    {
        QFETCH(QByteArrayList, f);
        const int fieldCount = f[1].toInt();
        const QByteArrayList before = f[2].split(','), after = f[3].split(',');
        ChartState s;
        for (int i = 0; i < before.size(); ++i)
            s.lineValues[i + 1] = before[i].toDouble();
        s.dataLine = str(f[0]);
        s.fieldCount = static_cast<std::int16_t>(fieldCount);
        vp::getnums(s);
        QCOMPARE(int(s.fieldCount), 0);
        for (int i = 0; i < after.size(); ++i)
            if (i + 1 != fieldCount)
                QCOMPARE(s.lineValues[i + 1], after[i].toDouble());
        QCOMPARE(bytes(s.lineFields[fieldCount]), f[4]);
    }

    // The three settings fields; the folder ends in one backslash if it holds
    // any but does not end in one.
    void settingsFile_data() { caseRows("input-settings"); }
    void settingsFile()
    {
        QFETCH(QByteArrayList, f);
        const QString path = dir_.filePath("run.ini");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(f[0]) == f[0].size());
        file.close();
        SettingsValues v;
        const ReadResult r = readSettingsFile(path.toStdString(), v, '\\');
        QVERIFY2(r.ok() && r.problem.empty(), r.problem.c_str());
        QCOMPARE(bytes(v.folder), f[1]);
        QCOMPARE(v.blanks, std::string(f[2].toUInt(), ' '));
    }

    // A definition read in the start-up order: first reading, then the
    // reading of its kind.
    void reading_data() { caseRows("input-reading"); }
    void reading()
    {
        QFETCH(QByteArrayList, f);
        QFile file(dir_.filePath("~VGRAPH.TMP"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(f[0]) == f[0].size());
        file.close();
        ChartState state;
        VplotGlobal global;
        ChartData data;
        std::string caption;
        state.appFolder = dir_.path().toStdString() + "   ";
        state.categoryLimit = 200;
        ReadResult r = vp::firstReading(state, caption);
        if (r.ok())
            r = state.chartKind == vp::ChartKind::StackedBar ? readStackedKind(state, global, data)
                                                             : readSimpleKind(state, data);
        QVERIFY2(r.ok(), r.problem.c_str());
        QCOMPARE(state.appFolder, dir_.path().toStdString() + "/"); // blanks gone, "/" added
        QByteArrayList names, labels, values;
        for (int s = 1; s <= state.seriesCount; ++s)
            names << bytes(state.seriesNames[s]);
        for (const std::string& label : data.labels)
            labels << bytes(label);
        for (int i = 1; i <= data.rows; ++i)
            for (int s = 1; s <= data.columns; ++s)
                values << QByteArray::number(data.value(i, s));
        QCOMPARE(QByteArrayList({bytes(caption), bytes(state.chartTitle), bytes(state.chartCaption),
                                 names.join('|'), labels.join('|'), values.join(',')})
                     .join(';'),
                 f[1]);
    }
};

QTEST_GUILESS_MAIN(TestInput)
#include "tst_input.moc"
