// SPDX-License-Identifier: GPL-3.0-or-later
// The chart input: numeric values, the line splitter and the reading of the
// settings file. Definitions, good and bad, are read where the user sees
// them, through the window's start-up in tst_hostile.
#include "caserows.h"
#include "linesplit.h"
#include "reader.h"

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
        const Result r = readSettingsFile(path.toStdString(), v, '\\');
        QVERIFY2(r.ok(), r.message().c_str());
        QCOMPARE(bytes(v.folder), f[1]);
        QCOMPARE(v.blanks, std::string(f[2].toUInt(), ' '));
    }
};

QTEST_GUILESS_MAIN(TestInput)
#include "tst_input.moc"
