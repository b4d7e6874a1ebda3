// The chart input: numeric values, the line splitter, the folder rule and the
// readings of the settings file and the chart definition file.
#include "linesplit.h"
#include "reader.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cfloat>
#include <cmath>

using namespace vp;

Q_DECLARE_METATYPE(vp::ReadStatus)

namespace {

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
    const QByteArray line = repeated("%, ", 1, series) + "\n";
    for (int r = 0; r < rows; ++r)
        f += line;
    return f;
}

} // namespace

class TestInput : public QObject
{
    Q_OBJECT

  private:
    QTemporaryDir dir_;
    ChartState state_;
    VplotGlobal global_;
    ChartData data_;
    std::string caption_;

    void writeDefinition(const QByteArray& content)
    {
        QFile f(dir_.filePath("~VGRAPH.TMP"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        QCOMPARE(f.write(content), content.size());
    }

    // The start-up order: first reading, then the reading of the kind.
    ReadResult readDefinition(const QByteArray& content)
    {
        writeDefinition(content);
        ReadResult r = vp::firstReading(state_, caption_);
        if (!r.ok())
            return r;
        if (state_.chartKind == "WSTACKEDBAR")
            return readStackedKind(state_, global_, data_);
        return readSimpleKind(state_, data_);
    }

  private slots:
    void init()
    {
        QVERIFY(dir_.isValid());
        QDir(dir_.path()).removeRecursively();
        QVERIFY(QDir().mkpath(dir_.path()));
        state_ = ChartState();
        state_.appFolder = dir_.path().toStdString() + "   ";
        state_.categoryLimit = 200;
        global_ = VplotGlobal();
        data_ = ChartData();
        caption_.clear();
    }

    void numericValue_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<double>("expected");

        QTest::newRow("plain whole number") << QByteArray("12") << 12.0;
        QTest::newRow("blanks inside digits are skipped") << QByteArray(" 1 2 ") << 12.0;
        QTest::newRow("tab and line feed are skipped") << QByteArray("\t-\n3.5") << -3.5;
        QTest::newRow("second point ends the number") << QByteArray("1.2.3") << 1.2;
        QTest::newRow("comma ends the number") << QByteArray("1,5") << 1.0;
        QTest::newRow("trailing text ignored") << QByteArray("12abc") << 12.0;
        QTest::newRow("leading point") << QByteArray("-.5") << -0.5;
        QTest::newRow("plus sign") << QByteArray("+7") << 7.0;
        QTest::newRow("double sign is no number") << QByteArray("--5") << 0.0;
        QTest::newRow("no number") << QByteArray("abc") << 0.0;
        QTest::newRow("empty") << QByteArray("") << 0.0;
        QTest::newRow("E exponent") << QByteArray("1E3") << 1000.0;
        QTest::newRow("D exponent negative") << QByteArray("2D-2") << 0.02;
        QTest::newRow("blanks inside exponent") << QByteArray("1 e 2") << 100.0;
        QTest::newRow("exponent without digits") << QByteArray("4e") << 4.0;
        QTest::newRow("hex") << QByteArray("&H1F") << 31.0;
        QTest::newRow("hex 16 bits is signed") << QByteArray("&HFFFF") << -1.0;
        QTest::newRow("hex beyond 16 bits") << QByteArray("&H10000") << 65536.0;
        QTest::newRow("octal") << QByteArray("&O17") << 15.0;
        QTest::newRow("ampersand alone") << QByteArray("&X1") << 0.0;
        QTest::newRow("many digits") << QByteArray("1" + QByteArray(60, '0')) << 1e60;
        QTest::newRow("many fraction zeros")
            << QByteArray("0." + QByteArray(300, '0') + "5") << 5e-301;
        QTest::newRow("huge exponent is finite") << QByteArray("1e999999999999") << DBL_MAX;
        QTest::newRow("huge negative is finite") << QByteArray("-9e400") << -DBL_MAX;
        QTest::newRow("tiny exponent gives 0") << QByteArray("1e-99999") << 0.0;
    }

    void numericValue()
    {
        QFETCH(QByteArray, text);
        QFETCH(double, expected);
        const double v = vp::numericValue(str(text));
        QVERIFY(std::isfinite(v));
        QCOMPARE(v, expected);
    }

    void roundToInt16_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<bool>("fits");
        QTest::addColumn<int>("expected");

        QTest::newRow("half down to even") << 2.5 << true << 2;
        QTest::newRow("half up to even") << 3.5 << true << 4;
        QTest::newRow("negative half to even") << -2.5 << true << -2;
        QTest::newRow("above half") << 2.51 << true << 3;
        QTest::newRow("largest") << 32767.4 << true << 32767;
        QTest::newRow("rounds past largest") << 32767.5 << false << 0;
        QTest::newRow("smallest by rounding") << -32768.5 << true << -32768;
        QTest::newRow("below smallest") << -32768.6 << false << 0;
        QTest::newRow("infinity") << HUGE_VAL << false << 0;
        QTest::newRow("not a number") << std::nan("") << false << 0;
    }

    void roundToInt16()
    {
        QFETCH(double, value);
        QFETCH(bool, fits);
        QFETCH(int, expected);
        std::int16_t out = 99;
        QCOMPARE(vp::roundToInt16(value, out), fits);
        if (fits)
            QCOMPARE(int(out), expected);
    }

    void getnums_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<int>("fieldCount");
        QTest::addColumn<QList<double>>("before");
        QTest::addColumn<QList<double>>("after");
        QTest::addColumn<QByteArray>("label");
        const QList<double> none;

        // One number and a label.
        QTest::newRow("number and label")
            << QByteArray("12, Red") << 2 << none << QList<double>{12} << QByteArray("Red");
        QTest::newRow("decimal comma") << QByteArray("3,5, Light blue") << 2 << none
                                       << QList<double>{3.5} << QByteArray("Light blue");
        QTest::newRow("decimal comma not a separator")
            << QByteArray("12,5, Apples") << 2 << none << QList<double>{12.5}
            << QByteArray("Apples");
        QTest::newRow("blank comma separator")
            << QByteArray("7 , Green") << 2 << none << QList<double>{7} << QByteArray("Green");
        QTest::newRow("quoted label")
            << QByteArray("4, \"Blue\"") << 2 << none << QList<double>{4} << QByteArray("Blue");
        QTest::newRow("no label") << QByteArray("9") << 2 << none << QList<double>{9}
                                  << QByteArray("");
        QTest::newRow("bare commas are one number")
            << QByteArray("1,2,3") << 2 << none << QList<double>{1.2} << QByteArray("");
        QTest::newRow("line of blanks")
            << QByteArray("    ") << 2 << QList<double>{5} << QList<double>{0} << QByteArray("");
        QTest::newRow("empty quoted label becomes 0")
            << QByteArray("5, \"\"") << 2 << none << QList<double>{5} << QByteArray("0");
        QTest::newRow("label of a lone comma becomes 0")
            << QByteArray("5, ,") << 2 << none << QList<double>{5} << QByteArray("0");
        QTest::newRow("label cut at its comma, rest is a number")
            << QByteArray("2, Red, green") << 2 << QList<double>{9, 9, 9} << QList<double>{2, 9, 0}
            << QByteArray("Red");
        QTest::newRow("quotes do not protect a comma")
            << QByteArray("3, \"A, B\"") << 2 << none << QList<double>{3} << QByteArray("A");

        // Several numbers.
        QTest::newRow("comma minus before first separator")
            << QByteArray("10,-4, Loss") << 3 << none << QList<double>{10, -4}
            << QByteArray("Loss");
        QTest::newRow("all negative") << QByteArray("-1,-2,-3, Neg") << 4 << none
                                      << QList<double>{-1, -2, -3} << QByteArray("Neg");
        QTest::newRow("comma minus without any separator")
            << QByteArray("10,-4") << 3 << QList<double>{0, 7, 7} << QList<double>{10, 7, 7}
            << QByteArray("");
        QTest::newRow("blank comma before first separator")
            << QByteArray("5 ,6, Lab") << 3 << none << QList<double>{5, 6} << QByteArray("Lab");
        QTest::newRow("blank comma after last separator")
            << QByteArray("1, 2 ,3") << 3 << none << QList<double>{1, 2.3} << QByteArray("");
        QTest::newRow("fewer fields keep previous numbers")
            << QByteArray("1, 2") << 4 << QList<double>{8, 8, 8} << QList<double>{1, 2, 8}
            << QByteArray("");
        QTest::newRow("empty line keeps later numbers")
            << QByteArray("") << 3 << QList<double>{5, 6} << QList<double>{0, 6} << QByteArray("");
        QTest::newRow("no label field")
            << QByteArray("1, 2, x") << 0 << none << QList<double>{1, 2, 0} << QByteArray("");

        // The 20-field cap and the table bounds.
        QList<double> first20;
        for (int i = 1; i <= 20; ++i)
            first20 << i;
        QTest::newRow("label past 20 fields is not found")
            << repeated("%, ", 1, 25) << 22 << (QList<double>(20, 0.0) << -1)
            << (QList<double>(first20) << -1) << QByteArray("");
        QTest::newRow("label at field 20 is found")
            << (repeated("%, ", 1, 19) + "Last, 21, 22") << 20 << none << first20.mid(0, 19)
            << QByteArray("Last");
        QTest::newRow("label at the end of the table")
            << QByteArray("1, 2") << 255 << none << QList<double>{1, 2} << QByteArray("");
        QTest::newRow("label beyond the table")
            << QByteArray("1, 2") << 300 << none << QList<double>{1, 2} << QByteArray("");
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
        for (int i = 0; i < after.size(); ++i) {
            if (i + 1 == fieldCount)
                continue;
            QCOMPARE(s.lineValues[i + 1], after[i]);
        }
        if (fieldCount > 0 && fieldCount <= 255)
            QCOMPARE(bytes(s.lineFields[fieldCount]), label);
    }

    void folderRule_data()
    {
        QTest::addColumn<QByteArray>("folder");
        QTest::addColumn<char>("separator");
        QTest::addColumn<QByteArray>("expected");

        QTest::newRow("backslash folder gets one")
            << QByteArray("C:\\Apps") << '\\' << QByteArray("C:\\Apps\\");
        QTest::newRow("backslash root stays") << QByteArray("C:\\") << '\\' << QByteArray("C:\\");
        QTest::newRow("bare drive stays") << QByteArray("C:") << '\\' << QByteArray("C:");
        QTest::newRow("empty stays") << QByteArray("") << '\\' << QByteArray("");
        QTest::newRow("slash folder gets one")
            << QByteArray("/opt/veldra") << '/' << QByteArray("/opt/veldra/");
        QTest::newRow("slash root stays") << QByteArray("/") << '/' << QByteArray("/");
        QTest::newRow("other separator stays")
            << QByteArray("C:\\Apps") << '/' << QByteArray("C:\\Apps");
    }

    void folderRule()
    {
        QFETCH(QByteArray, folder);
        QFETCH(char, separator);
        QFETCH(QByteArray, expected);
        QCOMPARE(bytes(applyFolderRule(str(folder), separator)), expected);
    }

    void definitionPathTrimsAndAddsSeparator()
    {
        ChartState s;
        s.appFolder = "/opt/veldra   ";
        QCOMPARE(definitionPath(s), std::string("/opt/veldra/~VGRAPH.TMP"));
    }

    void settingsFile_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QByteArray>("folder");
        QTest::addColumn<int>("blanks");
        QTest::addColumn<QByteArray>("problemWord");

        QTest::newRow("three fields") << QByteArray("C:\\data\\run  ,name,12\n") << true
                                      << QByteArray("C:\\data\\run\\") << 12 << QByteArray();
        QTest::newRow("quoted folder with comma, extra field")
            << QByteArray("\"C:\\a, b\",x,-3,extra") << true << QByteArray("C:\\a, b\\") << 0
            << QByteArray();
        QTest::newRow("one field per line, CRLF")
            << QByteArray("C:\r\nx\r\n2.5\r\n") << true << QByteArray("C:") << 2 << QByteArray();
        QTest::newRow("two fields")
            << QByteArray("a,b\n") << false << QByteArray() << 0 << QByteArray("three fields");
        QTest::newRow("third not a number")
            << QByteArray("a,b,c") << false << QByteArray() << 0 << QByteArray("whole number");
        QTest::newRow("third out of range") << QByteArray("a,b,40000") << false << QByteArray() << 0
                                            << QByteArray("-32768 to 32767");
        QTest::newRow("empty file")
            << QByteArray() << false << QByteArray() << 0 << QByteArray("ends");
    }

    void settingsFile()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, ok);
        QFETCH(QByteArray, folder);
        QFETCH(int, blanks);
        QFETCH(QByteArray, problemWord);

        const QString path = dir_.filePath("run.ini");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
        f.close();
        SettingsValues v;
        const ReadResult r = readSettingsFile(path.toStdString(), v, '\\');
        QCOMPARE(r.ok(), ok);
        QVERIFY(!r.fileMissing);
        if (ok) {
            QCOMPARE(bytes(v.folder), folder);
            QCOMPARE(v.blanks, std::string(static_cast<std::size_t>(blanks), ' '));
        } else {
            QVERIFY2(bytes(r.problem).contains(problemWord), r.problem.c_str());
        }
    }

    void settingsFileMissingOrFolder()
    {
        ReadResult r = readSettingsFile("");
        QVERIFY(!r.ok() && r.fileMissing);
        r = readSettingsFile(dir_.filePath("nothing.ini").toStdString());
        QVERIFY(!r.ok() && r.fileMissing);
        QVERIFY(bytes(r.problem).contains("does not exist"));
        r = readSettingsFile(dir_.path().toStdString());
        QVERIFY(!r.ok() && !r.fileMissing);
        QVERIFY2(bytes(r.problem).contains("folder"), r.problem.c_str());
    }

    void firstReading_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QByteArray>("kind");
        QTest::addColumn<QByteArray>("caption");

        QTest::newRow("pie") << QByteArray("VGRAPH,SIMPLEPIECHART,x,My title,1\nS\n1, A\n")
                             << QByteArray("SIMPLEPIECHART") << QByteArray("My title");
        QTest::newRow("quoted title with comma, CR lines")
            << QByteArray("VGRAPH\rSIMPLEBARCHART\rx\r\"Sales, 2023\"\r")
            << QByteArray("SIMPLEBARCHART") << QByteArray("Sales, 2023");
        QTest::newRow("two-way takes the second name")
            << QByteArray("VGRAPH,WSTACKEDBAR,Sex,Group,N=40\nT,0\n0\n")
            << QByteArray("WSTACKEDBAR") << QByteArray("Group");
        QTest::newRow("unknown kind")
            << QByteArray("H,LINECHART,a,b") << QByteArray("LINECHART") << QByteArray("b");
    }

    void firstReading()
    {
        QFETCH(QByteArray, content);
        QFETCH(QByteArray, kind);
        QFETCH(QByteArray, caption);
        writeDefinition(content);
        const ReadResult r = vp::firstReading(state_, caption_);
        QVERIFY2(r.ok(), r.problem.c_str());
        QCOMPARE(bytes(state_.chartKind), kind);
        QCOMPARE(bytes(caption_), caption);
        QCOMPARE(state_.appFolder, dir_.path().toStdString() + "/");
    }

    void simpleReading_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QList<QByteArray>>("labels");
        QTest::addColumn<QList<double>>("table"); // row-major, N columns

        QTest::newRow("pie example")
            << QByteArray("VGRAPH,SIMPLEPIECHART,x,Colours,1\nCount\n12, Red\n30, Blue\n8, Green\n")
            << QList<QByteArray>{"Red", "Blue", "Green"} << QList<double>{12, 30, 8};
        QTest::newRow("CRLF, no final line end")
            << QByteArray("V,SIMPLEPIECHART,x,T,1\r\nS\r\n12, Red\r\n30, Blue")
            << QList<QByteArray>{"Red", "Blue"} << QList<double>{12, 30};
        QTest::newRow("CR line ends")
            << QByteArray("V,SIMPLEPIECHART,x,T,1\rS\r12, Red\r30, Blue\r")
            << QList<QByteArray>{"Red", "Blue"} << QList<double>{12, 30};
        QTest::newRow("empty line is a category")
            << QByteArray("V,SIMPLEPIECHART,x,T,1\nS\n12, Red\n\n8, Green\n")
            << QList<QByteArray>{"Red", "", "Green"} << QList<double>{12, 0, 8};
        QTest::newRow("trailing blank line is a category")
            << QByteArray("V,SIMPLEPIECHART,x,T,1\nS\n12, Red\n\n") << QList<QByteArray>{"Red", ""}
            << QList<double>{12, 0};
        QTest::newRow("empty line repeats later columns")
            << QByteArray("V,SIMPLEBARCHART,x,T,2\nA,B\n1, 2, One\n\n3, 4, Three\n")
            << QList<QByteArray>{"One", "", "Three"} << QList<double>{1, 2, 0, 2, 3, 4};
        QTest::newRow("Latin-1 label bytes kept")
            << QByteArray("V,SIMPLEPIECHART,x,T,1\nS\n3, Caf\xe9\n4,  \xfc\xff  \n")
            << QList<QByteArray>{"Caf\xe9", "\xfc\xff"} << QList<double>{3, 4};
        QTest::newRow("no series: the first field is the label")
            << QByteArray("V,SIMPLEBARCHART,x,T,0\n12, Red\n") << QList<QByteArray>{"12"}
            << QList<double>{};
        QTest::newRow("no data lines")
            << QByteArray("V,SIMPLEBARCHART,x,T,2,A,B") << QList<QByteArray>{} << QList<double>{};
    }

    void simpleReading()
    {
        QFETCH(QByteArray, content);
        QFETCH(QList<QByteArray>, labels);
        QFETCH(QList<double>, table);

        const ReadResult r = readDefinition(content);
        QVERIFY2(r.ok(), r.problem.c_str());
        const int n = state_.seriesCount;
        QCOMPARE(int(state_.rowCount), labels.size());
        QCOMPARE(data_.rows, labels.size());
        QCOMPARE(data_.columns, n);
        QCOMPARE(int(data_.values.size()), labels.size());
        for (int i = 0; i < labels.size(); ++i) {
            QCOMPARE(bytes(data_.labels[i]), labels[i]);
            QCOMPARE(bytes(state_.rowLabels[i + 1]), labels[i]);
            QCOMPARE(data_.values[i], n > 0 ? table[i * n] : 0.0);
            for (int s = 1; s <= n; ++s)
                QCOMPARE(double(data_.value(i + 1, s)), table[i * n + s - 1]);
        }
    }

    void simpleReadingKeepsHeader()
    {
        const ReadResult r = readDefinition(
            "V,SIMPLEBARCHART,x,Title,3\nNorth,\"South, East\",  West\n1, 2, 3, L\n");
        QVERIFY2(r.ok(), r.problem.c_str());
        QCOMPARE(state_.chartTitle, std::string("Title"));
        QCOMPARE(state_.seriesNames[1], std::string("North"));
        QCOMPARE(state_.seriesNames[2], std::string("South, East"));
        QCOMPARE(state_.seriesNames[3], std::string("West"));
        QCOMPARE(state_.rowLabels[1], std::string("L"));
    }

    void stackedReading_data()
    {
        QTest::addColumn<QByteArray>("variableLine");
        QTest::addColumn<QByteArray>("caption");

        QTest::newRow("three names")
            << QByteArray("Sex,Group,N=40 ") << QByteArray("Count by Sex & Group (N=40)");
        QTest::newRow("no comma") << QByteArray("Sex") << QByteArray("");
        QTest::newRow("one comma") << QByteArray("Sex,Group") << QByteArray("Count by Sex &  ()");
        QTest::newRow("blank series variable") << QByteArray("  ,Group,N") << QByteArray("");
        QTest::newRow("note keeps its commas")
            << QByteArray("A,B, n=3, p<.05 ") << QByteArray("Count by A & B (n=3, p<.05)");
    }

    void stackedReading()
    {
        QFETCH(QByteArray, variableLine);
        QFETCH(QByteArray, caption);

        // The kind ends its line, so the variable line is the whole next line.
        const ReadResult r = readDefinition("VGRAPH,WSTACKEDBAR\n" + variableLine +
                                            "\nTable,2\nMale,Female\n2,A,B\n"
                                            "4, 5, x\n6, 7, y\n8, 9, z\n");
        QVERIFY2(r.ok(), r.problem.c_str());
        QCOMPARE(bytes(state_.chartCaption), caption);
        QCOMPARE(state_.chartTitle, std::string("Table"));
        QCOMPARE(int(global_.itemCategoryCount), 2);
        QCOMPARE(state_.seriesNames[2], std::string("Female"));
        // Bars are labelled from the header list; the third row has no name.
        QCOMPARE(data_.labels, (std::vector<std::string>{"A", "B", ""}));
        QCOMPARE(data_.values, (std::vector<double>{4, 6, 8}));
        QCOMPARE(double(data_.value(3, 2)), 9.0);
    }

    void stackedVariableLineAfterKind()
    {
        const ReadResult r = readDefinition("VGRAPH,WSTACKEDBAR,Sex,Group,N=40\nT,1\nM\n1\nA\n3\n");
        QVERIFY2(r.ok(), r.problem.c_str());
        QCOMPARE(state_.chartCaption, std::string("Count by Sex & Group (N=40)"));
        QCOMPARE(data_.values, std::vector<double>{3});
    }

    void categoryLimit_data()
    {
        QTest::addColumn<int>("series");
        QTest::addColumn<int>("rows");
        QTest::addColumn<ReadStatus>("status");

        QTest::newRow("200 series accepted") << 200 << 2 << ReadStatus::Ok;
        QTest::newRow("201 series refused") << 201 << 1 << ReadStatus::CategoryLimit;
        QTest::newRow("254 series refused") << 254 << 1 << ReadStatus::CategoryLimit;
        QTest::newRow("201 series without data lines") << 201 << 0 << ReadStatus::Ok;
        QTest::newRow("255 series beyond the tables") << 255 << 1 << ReadStatus::Failed;
        QTest::newRow("100 rows accepted") << 3 << 100 << ReadStatus::Ok;
        QTest::newRow("101 rows beyond the category table") << 3 << 101 << ReadStatus::Failed;
        QTest::newRow("200 rows beyond the category table") << 3 << 200 << ReadStatus::Failed;
        QTest::newRow("201 rows refused") << 3 << 201 << ReadStatus::CategoryLimit;
        QTest::newRow("5000 rows refused") << 3 << 5000 << ReadStatus::CategoryLimit;
    }

    void categoryLimit()
    {
        QFETCH(int, series);
        QFETCH(int, rows);
        QFETCH(ReadStatus, status);

        const ReadResult r = readDefinition(stackedFile(series, rows));
        QCOMPARE(r.status, status);
        if (status == ReadStatus::CategoryLimit) {
            QCOMPARE(r.problem, std::string("One variable appears to be continuous rather than "
                                            "categorical. Perhaps you meant to display a "
                                            "histogram (See Graph menu)."));
            QCOMPARE(int(state_.rowCount), series > 200 ? 1 : 201);
        } else if (status == ReadStatus::Failed) {
            QVERIFY2(bytes(r.problem).contains(series > 254 ? "254" : "100"), r.problem.c_str());
        } else {
            // Only the first 20 fields of a line are read.
            const int last = std::min(series, 20);
            QCOMPARE(data_.rows, rows);
            QCOMPARE(data_.columns, series);
            QCOMPARE(double(data_.value(rows > 0 ? rows : 1, last)), rows > 0 ? last : 0.0);
            QCOMPARE(double(data_.value(1, series)), series > 20 ? 0.0 : double(series));
        }
    }

    void failures_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QByteArray>("problemWord");

        QTest::newRow("empty file") << QByteArray() << QByteArray("ends");
        QTest::newRow("header only")
            << QByteArray("VGRAPH,SIMPLEPIECHART,x") << QByteArray("before the chart title");
        QTest::newRow("no N") << QByteArray("VGRAPH,SIMPLEPIECHART,x,T")
                              << QByteArray("number of series");
        QTest::newRow("non-numeric N")
            << QByteArray("V,SIMPLEBARCHART,x,T,three\n") << QByteArray("not a whole number");
        QTest::newRow("negative N")
            << QByteArray("V,SIMPLEBARCHART,x,T,-5\n1, x\n") << QByteArray("negative");
        QTest::newRow("N beyond 16 bits")
            << QByteArray("V,SIMPLEBARCHART,x,T,99999999999\n") << QByteArray("-32768 to 32767");
        QTest::newRow("N 30000") << QByteArray("V,SIMPLEBARCHART,x,T,30000\na,b\n")
                                 << QByteArray("254");
        QTest::newRow("series names cut short") << QByteArray("V,SIMPLEBARCHART,x,T,4\nOne,Two\n")
                                                << QByteArray("series names (after 2 of 4)");
        QTest::newRow("non-numeric M")
            << QByteArray("V,WSTACKEDBAR,A,B,C\nT,1,s,many\n") << QByteArray("item categories");
        QTest::newRow("negative M")
            << QByteArray("V,WSTACKEDBAR,A,B,C\nT,1,s,-2\n") << QByteArray("negative");
        QTest::newRow("M over 100")
            << QByteArray("V,WSTACKEDBAR,A,B,C\nT,1,s,101\n") << QByteArray("100");
        QTest::newRow("item names cut short") << QByteArray("V,WSTACKEDBAR,A,B,C\nT,1,s,3,a\n")
                                              << QByteArray("item categories (after 1 of 3)");
        QTest::newRow("no variable line")
            << QByteArray("V,WSTACKEDBAR\n") << QByteArray("ends inside its header");
        QTest::newRow("201 lines") << ("V,SIMPLEPIECHART,x,T,1\nS\n" + repeated("%, L\n", 1, 201))
                                   << QByteArray("more than 200 data lines");
        QTest::newRow("10000 lines") << ("V,SIMPLEPIECHART,x,T,1\nS\n" + repeated("%\n", 1, 10000))
                                     << QByteArray("more than 200 data lines");
        QTest::newRow("NUL in data")
            << (QByteArray("V,SIMPLEPIECHART,x,T,1\nS\n1") + '\0' + "2, A\n") << QByteArray("NUL");
        QTest::newRow("NUL in header")
            << (QByteArray("V,SIMPLE") + '\0' + "PIECHART,x,T,1\n") << QByteArray("NUL");
        QTest::newRow("binary") << (QByteArray("\x7f"
                                               "ELF\x02\x01\x01") +
                                    QByteArray(4, '\0'))
                                << QByteArray("NUL");
        QTest::newRow("2 MiB line") << ("V,SIMPLEPIECHART,x,T,1\nS\n" + QByteArray(2 << 20, '7'))
                                    << QByteArray("longer than 1 MiB");
        QTest::newRow("2 MiB header field") << QByteArray(2 << 20, 'x') << QByteArray("1 MiB");
    }

    void failures()
    {
        QFETCH(QByteArray, content);
        QFETCH(QByteArray, problemWord);
        const ReadResult r = readDefinition(content);
        QCOMPARE(r.status, ReadStatus::Failed);
        QVERIFY2(bytes(r.problem).contains(problemWord), r.problem.c_str());
    }

    void missingOrFolderDefinition()
    {
        ReadResult r = vp::firstReading(state_, caption_);
        QCOMPARE(r.status, ReadStatus::Failed);
        QVERIFY(r.fileMissing);
        QVERIFY2(bytes(r.problem).contains("does not exist"), r.problem.c_str());
        r = readSimpleKind(state_, data_);
        QVERIFY(!r.ok() && r.fileMissing);

        QVERIFY(QDir(dir_.path()).mkdir("~VGRAPH.TMP"));
        r = vp::firstReading(state_, caption_);
        QCOMPARE(r.status, ReadStatus::Failed);
        QVERIFY(!r.fileMissing);
        QVERIFY2(bytes(r.problem).contains("folder"), r.problem.c_str());
    }
};

QTEST_GUILESS_MAIN(TestInput)
#include "tst_input.moc"
