// The chart input: numeric values, the line splitter, the folder rule and the
// readings of the settings file and the chart definition file.
#include "linesplit.h"
#include "reader.h"

#include <QtTest>

#include <cfloat>
#include <cmath>

using namespace vp;

constexpr int kNoFit = INT_MIN;

Q_DECLARE_METATYPE(vp::ReadStatus)

namespace
{

std::string str(const QByteArray& b)
{
    return std::string(b.constData(), static_cast<std::size_t>(b.size()));
}
QByteArray bytes(const std::string& s)
{
    return QByteArray(s.data(), static_cast<int>(s.size()));
}

QByteArray repeated(const QByteArray& pattern, int from, int to)
{
    QByteArray out;
    for (int i = from; i <= to; ++i)
        out += QByteArray(pattern).replace("%", QByteArray::number(i));
    return out;
}

// A two-way table with the given number of series and data rows.
QByteArray stackedFile(int series, int rows)
{
    QByteArray f = "VGRAPH,WSTACKEDBAR,A,B,C\nT," + QByteArray::number(series) + "\n" +
                   repeated("s%\n", 1, series) + "2\nb1,b2\n";
    for (int r = 0; r < rows; ++r)
        f += repeated("%, ", 1, series) + "\n";
    return f;
}

// Content for a file: "<missing>" writes none, "<folder>" makes a folder.
void makeFile(const QString& path, const QByteArray& content)
{
    if (content == "<folder>") {
        QDir().mkpath(path);
    } else if (content != "<missing>") {
        QFile f(path);
        if (f.open(QIODevice::WriteOnly))
            f.write(content);
    }
}

} // namespace

class TestInput : public QObject
{
    Q_OBJECT

    QTemporaryDir dir_;
    ChartState state_;
    VplotGlobal global_;
    ChartData data_;
    std::string caption_;

    // The start-up order: first reading, then the reading of the kind.
    ReadResult readDefinition(const QByteArray& content)
    {
        makeFile(dir_.filePath("~VGRAPH.TMP"), content);
        ReadResult r = vp::firstReading(state_, caption_);
        if (!r.ok())
            return r;
        return state_.chartKind == vp::ChartKind::StackedBar ? readStackedKind(state_, global_, data_)
                                                 : readSimpleKind(state_, data_);
    }

  private slots:
    void init()
    {
        QDir(dir_.path()).removeRecursively();
        QVERIFY(QDir().mkpath(dir_.path()));
        state_ = ChartState();
        state_.appFolder = dir_.path().toStdString() + "   ";
        state_.categoryLimit = 200;
        global_ = VplotGlobal();
        data_ = ChartData();
        caption_.clear();
    }

    // A text's numeric value, and that value rounded (halves to even) to a
    // 16-bit whole number.
    void numbers_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("rounded"); // kNoFit: does not fit 16 bits
        QTest::newRow("whole number") << QByteArray("12") << 12.0 << 12;
        QTest::newRow("blanks, tab, line feed anywhere")
            << QByteArray("\t- 1\n2.5 e 1 ") << -125.0 << -125;
        QTest::newRow("second point ends it") << QByteArray("1.2.3") << 1.2 << 1;
        QTest::newRow("comma ends it") << QByteArray("1,5") << 1.0 << 1;
        QTest::newRow("leading point, trailing text") << QByteArray("-.5abc") << -0.5 << 0;
        QTest::newRow("double sign is no number") << QByteArray("--5") << 0.0 << 0;
        QTest::newRow("D exponent") << QByteArray("2D-2") << 0.02 << 0;
        QTest::newRow("exponent without digits") << QByteArray("4e") << 4.0 << 4;
        QTest::newRow("&H") << QByteArray("&H1F") << 31.0 << 31;
        QTest::newRow("&H of 16 bits is signed") << QByteArray("&HFFFF") << -1.0 << -1;
        QTest::newRow("&H beyond 16 bits") << QByteArray("&H10000") << 65536.0 << kNoFit;
        QTest::newRow("&O") << QByteArray("&O17") << 15.0 << 15;
        QTest::newRow("many fraction zeros") << "0." + QByteArray(300, '0') + "5" << 5e-301 << 0;
        QTest::newRow("huge exponent is finite")
            << QByteArray("1e999999999999") << DBL_MAX << kNoFit;
        QTest::newRow("huge negative is finite") << QByteArray("-9e400") << -DBL_MAX << kNoFit;
        QTest::newRow("tiny exponent gives 0") << QByteArray("1e-99999") << 0.0 << 0;
        QTest::newRow("half down to even") << QByteArray("2.5") << 2.5 << 2;
        QTest::newRow("half up to even") << QByteArray("3.5") << 3.5 << 4;
        QTest::newRow("negative half to even") << QByteArray("-2.5") << -2.5 << -2;
        QTest::newRow("largest") << QByteArray("32767.4") << 32767.4 << 32767;
        QTest::newRow("rounds past largest") << QByteArray("32767.5") << 32767.5 << kNoFit;
        QTest::newRow("smallest by rounding") << QByteArray("-32768.5") << -32768.5 << -32768;
        QTest::newRow("below smallest") << QByteArray("-32768.6") << -32768.6 << kNoFit;
    }

    void numbers()
    {
        QFETCH(QByteArray, text);
        QFETCH(double, value);
        QFETCH(int, rounded);
        QCOMPARE(vp::numericValue(str(text)), value);
        std::int16_t out = 99;
        QCOMPARE(vp::roundToInt16(value, out), rounded != kNoFit);
        QCOMPARE(int(out), rounded != kNoFit ? rounded : 99);
    }

    // Splits a line into lineValues and the label at field F (fieldCount).
    void getnums_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<int>("fieldCount");
        QTest::addColumn<QList<double>>("before");
        QTest::addColumn<QList<double>>("after");
        QTest::addColumn<QByteArray>("label");
        using L = QList<double>;
        const L none;
        L first20;
        for (int i = 1; i <= 20; ++i)
            first20 << i;
        QTest::newRow("12, Red") << QByteArray("12, Red") << 2 << none << L{12}
                                 << QByteArray("Red");
        QTest::newRow("3,5, Light blue")
            << QByteArray("3,5, Light blue") << 2 << none << L{3.5} << QByteArray("Light blue");
        QTest::newRow("12,5, Apples")
            << QByteArray("12,5, Apples") << 2 << none << L{12.5} << QByteArray("Apples");
        QTest::newRow("7 , Green")
            << QByteArray("7 , Green") << 2 << none << L{7} << QByteArray("Green");
        QTest::newRow("quoted label")
            << QByteArray("4, \"Blue\"") << 2 << none << L{4} << QByteArray("Blue");
        QTest::newRow("9") << QByteArray("9") << 2 << none << L{9} << QByteArray("");
        QTest::newRow("1,2,3") << QByteArray("1,2,3") << 2 << none << L{1.2} << QByteArray("");
        QTest::newRow("10,-4, Loss")
            << QByteArray("10,-4, Loss") << 3 << none << L{10, -4} << QByteArray("Loss");
        QTest::newRow("blank line: 0, later values kept")
            << QByteArray("    ") << 3 << L{5, 6} << L{0, 6} << QByteArray("");
        QTest::newRow("fewer fields than F keep previous values")
            << QByteArray("1, 2") << 4 << L{8, 8, 8} << L{1, 2, 8} << QByteArray("");
        QTest::newRow("more than 20 fields: label past 20 not found")
            << repeated("%, ", 1, 25) << 22 << (L(20, 0.0) << -1) << (first20 << -1)
            << QByteArray("");
    }

    void getnums()
    {
        QFETCH(QByteArray, line);
        QFETCH(int, fieldCount);
        QFETCH(QList<double>, before);
        QFETCH(QList<double>, after);
        QFETCH(QByteArray, label);
        ChartState s;
        for (int i = 0; i < before.size(); ++i)
            s.lineValues[i + 1] = before[i];
        s.dataLine = str(line);
        s.fieldCount = static_cast<std::int16_t>(fieldCount);
        vp::getnums(s);
        QCOMPARE(int(s.fieldCount), 0);
        for (int i = 0; i < after.size(); ++i)
            if (i + 1 != fieldCount)
                QCOMPARE(s.lineValues[i + 1], after[i]);
        QCOMPARE(bytes(s.lineFields[fieldCount]), label);
    }

    // The three settings fields; the folder ends in one backslash if it holds
    // any but does not end in one.
    void settingsFile_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QByteArray>("folder"); // empty: refused
        QTest::addColumn<int>("blanks");
        QTest::newRow("three fields, folder gets a backslash")
            << QByteArray("C:\\data\\run  ,name,12\n") << QByteArray("C:\\data\\run\\") << 12;
        QTest::newRow("quoted folder with comma, extra field")
            << QByteArray("\"C:\\a, b\",x,-3,extra") << QByteArray("C:\\a, b\\") << 0;
        QTest::newRow("one field per line, CRLF, bare drive stays")
            << QByteArray("C:\r\nx\r\n 2 \r\n") << QByteArray("C:") << 2;
        QTest::newRow("root stays") << QByteArray("C:\\,x,1") << QByteArray("C:\\") << 1;
        QTest::newRow("slashes are no separator")
            << QByteArray("/opt/v,x,0") << QByteArray("/opt/v") << 0;
        QTest::newRow("two fields") << QByteArray("a,b\n") << QByteArray() << 0;
        QTest::newRow("third not a number") << QByteArray("a,b,c") << QByteArray() << 0;
        QTest::newRow("third not whole") << QByteArray("a,b,1.5") << QByteArray() << 0;
        QTest::newRow("third with trailing text") << QByteArray("a,b,12abc") << QByteArray() << 0;
        QTest::newRow("third out of range") << QByteArray("a,b,40000") << QByteArray() << 0;
        QTest::newRow("empty file") << QByteArray("") << QByteArray() << 0;
        QTest::newRow("missing file") << QByteArray("<missing>") << QByteArray() << 0;
        QTest::newRow("a folder") << QByteArray("<folder>") << QByteArray() << 0;
    }

    void settingsFile()
    {
        QFETCH(QByteArray, content);
        QFETCH(QByteArray, folder);
        QFETCH(int, blanks);
        const QString path = dir_.filePath("run.ini");
        makeFile(path, content);
        SettingsValues v;
        const ReadResult r = readSettingsFile(path.toStdString(), v, '\\');
        QCOMPARE(r.ok(), !folder.isEmpty());
        QCOMPARE(r.problem.empty(), r.ok());
        QCOMPARE(r.fileMissing, content == "<missing>");
        if (r.ok()) {
            QCOMPARE(bytes(v.folder), folder);
            QCOMPARE(v.blanks, std::string(std::size_t(blanks), ' '));
        }
    }

    // Pie and bar definitions: caption, series names, labels and the table.
    void simpleReading_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QByteArray>("caption");
        QTest::addColumn<QByteArray>("series"); // names between "|"
        QTest::addColumn<QByteArray>("labels");
        QTest::addColumn<QList<double>>("table"); // row by row
        QTest::newRow("pie example")
            << QByteArray("VGRAPH,SIMPLEPIECHART,x,Colours,1\nCount\n12, Red\n30, Blue\n8, Green\n")
            << QByteArray("Colours") << QByteArray("Count") << QByteArray("Red|Blue|Green")
            << QList<double>{12, 30, 8};
        QTest::newRow("quoted title and series names with commas, CR lines")
            << QByteArray("V\rSIMPLEBARCHART\rx\r\"Sales, 2023\"\r3\rN,\"S, E\",  W\r1, 2, 3, L\r")
            << QByteArray("Sales, 2023") << QByteArray("N|S, E|W") << QByteArray("L")
            << QList<double>{1, 2, 3};
        QTest::newRow("CRLF, no final line end")
            << QByteArray("V,SIMPLEPIECHART,x,T,1\r\nS\r\n12, Red\r\n30, Blue") << QByteArray("T")
            << QByteArray("S") << QByteArray("Red|Blue") << QList<double>{12, 30};
        QTest::newRow("empty line is a category repeating later columns")
            << QByteArray("V,SIMPLEBARCHART,x,T,2\nA,B\n1, 2, One\n\n3, 4, Three\n")
            << QByteArray("T") << QByteArray("A|B") << QByteArray("One||Three")
            << QList<double>{1, 2, 0, 2, 3, 4};
    }

    void simpleReading()
    {
        QFETCH(QByteArray, content);
        QFETCH(QByteArray, caption);
        QFETCH(QByteArray, series);
        QFETCH(QByteArray, labels);
        QFETCH(QList<double>, table);
        const ReadResult r = readDefinition(content);
        QVERIFY2(r.ok(), r.problem.c_str());
        QCOMPARE(state_.appFolder, dir_.path().toStdString() + "/"); // blanks gone, "/" added
        QCOMPARE(bytes(caption_), caption);
        QCOMPARE(bytes(state_.chartTitle), caption);
        const int n = state_.seriesCount, rows = state_.rowCount;
        QByteArrayList names, rowLabels;
        for (int s = 1; s <= n; ++s)
            names << bytes(state_.seriesNames[s]);
        for (int i = 0; i < rows; ++i) {
            rowLabels << bytes(state_.rowLabels[i + 1]);
            QCOMPARE(bytes(data_.labels[i]), rowLabels.last());
            for (int s = 1; s <= n; ++s)
                QCOMPARE(double(data_.value(i + 1, s)), table.value(i * n + s - 1));
        }
        QCOMPARE(names.join('|'), series);
        QCOMPARE(rowLabels.join('|'), labels);
        QCOMPARE(data_.rows * data_.columns, table.size());
    }

    // Two-way tables: the caption from the variable line (on the kind's line
    // or the next), bar labels from the header list (M=2, three lines).
    void stackedReading_data()
    {
        QTest::addColumn<QByteArray>("header");
        QTest::addColumn<QByteArray>("caption");
        QTest::newRow("Sex,Group,N=40 on its own line")
            << QByteArray("VGRAPH,WSTACKEDBAR\nSex,Group,N=40 \n")
            << QByteArray("Count by Sex & Group (N=40)");
        QTest::newRow("Sex,Group,N=40 after the kind")
            << QByteArray("VGRAPH,WSTACKEDBAR,Sex,Group,N=40\n")
            << QByteArray("Count by Sex & Group (N=40)");
        QTest::newRow("no comma") << QByteArray("VGRAPH,WSTACKEDBAR\nSex\n") << QByteArray("");
        QTest::newRow("one comma")
            << QByteArray("VGRAPH,WSTACKEDBAR\nSex,Group\n") << QByteArray("Count by Sex &  ()");
        QTest::newRow("note keeps its commas")
            << QByteArray("VGRAPH,WSTACKEDBAR\nA,B, n=3, p<.05 \n")
            << QByteArray("Count by A & B (n=3, p<.05)");
    }

    void stackedReading()
    {
        QFETCH(QByteArray, header);
        QFETCH(QByteArray, caption);
        const ReadResult r =
            readDefinition(header + "Table,2\nMale,Female\n2,A,B\n4, 5, x\n6, 7, y\n8, 9, z\n");
        QVERIFY2(r.ok(), r.problem.c_str());
        QCOMPARE(bytes(state_.chartCaption), caption);
        if (header.contains("Group")) // the fourth field
            QCOMPARE(caption_, std::string("Group"));
        QCOMPARE(state_.chartTitle, std::string("Table"));
        QCOMPARE(int(global_.itemCategoryCount), 2);
        QCOMPARE(state_.seriesNames[2], std::string("Female"));
        QCOMPARE(data_.labels,
                 (std::vector<std::string>{"A", "B", ""})); // the third row has no name
        QCOMPARE(data_.values, (std::vector<double>{4, 6, 8}));
        QCOMPARE(double(data_.value(3, 2)), 9.0);
    }

    // Two-way tables up to the category limit (200 series or rows) are read;
    // only the first 20 fields of a line count.
    void twoWayWithinLimit_data()
    {
        QTest::addColumn<int>("series");
        QTest::addColumn<int>("rows");
        QTest::newRow("200 series") << 200 << 2;
        QTest::newRow("100 rows") << 3 << 100;
    }

    void twoWayWithinLimit()
    {
        QFETCH(int, series);
        QFETCH(int, rows);
        const ReadResult r = readDefinition(stackedFile(series, rows));
        QVERIFY2(r.ok(), r.problem.c_str());
        const int last = std::min(series, 20);
        QCOMPARE(data_.rows, rows);
        QCOMPARE(data_.columns, series);
        QCOMPARE(double(data_.value(std::max(rows, 1), last)), rows > 0 ? last : 0.0);
        QCOMPARE(double(data_.value(1, series)), series > 20 ? 0.0 : double(series));
    }

    void failures_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<ReadStatus>("status");
        const ReadStatus failed = ReadStatus::Failed, limit = ReadStatus::CategoryLimit;
        const QByteArray simple = "V,SIMPLEPIECHART,x,T,", stacked = "V,WSTACKEDBAR,A,B,C\nT,1,s,";
        QTest::newRow("missing file") << QByteArray("<missing>") << failed;
        QTest::newRow("a folder") << QByteArray("<folder>") << failed;
        QTest::newRow("empty file") << QByteArray("") << failed;
        QTest::newRow("no N") << QByteArray("VGRAPH,SIMPLEPIECHART,x,T") << failed;
        QTest::newRow("non-numeric N") << simple + "three\n" << failed;
        QTest::newRow("negative N") << simple + "-5\n1, x\n" << failed;
        QTest::newRow("N beyond 16 bits") << simple + "99999999999\n" << failed;
        QTest::newRow("N 30000") << simple + "30000\na,b\n" << failed;
        QTest::newRow("series names cut short") << simple + "4\nOne,Two\n" << failed;
        QTest::newRow("201 data lines") << simple + "1\nS\n" + repeated("%, L\n", 1, 201) << failed;
        QTest::newRow("M over 100") << stacked + "101\n" << failed;
        QTest::newRow("item names cut short") << stacked + "3,a\n" << failed;
        QTest::newRow("no variable line") << QByteArray("V,WSTACKEDBAR\n") << failed;
        QTest::newRow("255 two-way series") << stackedFile(255, 1) << limit;
        QTest::newRow("201 two-way series, no data line") << stackedFile(201, 0) << limit;
        QTest::newRow("30000 two-way series, names cut short") << stacked.left(22) + "30000,a\n"
                                                               << limit;
        QTest::newRow("two-way N negative") << stacked.left(22) + "-99999999999\n" << failed;
        QTest::newRow("101 two-way rows") << stackedFile(3, 101) << failed;
        QTest::newRow("201 two-way series") << stackedFile(201, 1) << limit;
        QTest::newRow("201 two-way rows") << stackedFile(3, 201) << limit;
        QTest::newRow("NUL in a data line") << simple + "1\nS\n1" + '\0' + "2, A\n" << failed;
        QTest::newRow("NUL in a header field") << QByteArray("V,SIMPLE") + '\0' + "PIECHART\n"
                                               << failed;
        QTest::newRow("2 MiB data line") << simple + "1\nS\n" + QByteArray(2 << 20, '7') << failed;
        QTest::newRow("2 MiB header field") << QByteArray(2 << 20, 'x') << failed;
    }

    // Each failure says what is wrong; only a missing file counts as missing.
    // More categories than the limit give the advice about histograms.
    void failures()
    {
        QFETCH(QByteArray, content);
        QFETCH(ReadStatus, status);
        const ReadResult r = readDefinition(content);
        QCOMPARE(r.status, status);
        QVERIFY(!r.problem.empty());
        QCOMPARE(r.fileMissing, content == "<missing>");
        if (status == ReadStatus::CategoryLimit)
            QCOMPARE(r.problem, std::string("One variable appears to be continuous rather than "
                                            "categorical. Perhaps you meant to display a "
                                            "histogram (See Graph menu)."));
    }
};

QTEST_GUILESS_MAIN(TestInput)
#include "tst_input.moc"
