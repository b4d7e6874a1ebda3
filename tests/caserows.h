// SPDX-License-Identifier: GPL-3.0-or-later
// Case tables: the rows of tests/cases/<table>.tsv as a test's data. Qt Core
// and Qt Test only, for tests of the libraries without a GUI too.
#pragma once

#include <QByteArrayList>
#include <QFile>
#include <QtTest>

// Decodes a field of a case table: C escapes (\n \r \t \0 \\ \xHH) and
// repeats: \*N(text) is text N times, \*A-B(text) is text for i = A..B with
// every # in it replaced by i.
inline QByteArray unescape(const QByteArray& s)
{
    QByteArray out;
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] != '\\' || i + 1 == s.size()) {
            out += s[i];
            continue;
        }
        const char c = s[++i];
        if (c == 'x') {
            out += char(s.mid(i + 1, 2).toInt(nullptr, 16));
            i += 2;
        } else if (c == '*') {
            const qsizetype open = s.indexOf('(', i);
            qsizetype close = open;
            for (int depth = 0; close < s.size(); ++close) // the matching parenthesis
                if ((depth += s[close] == '(' ? 1 : s[close] == ')' ? -1 : 0) == 0)
                    break;
            const QByteArrayList range = s.mid(i + 1, open - i - 1).split('-');
            const QByteArray text = unescape(s.mid(open + 1, close - open - 1));
            if (range.size() == 1)
                out += text.repeated(range[0].toInt());
            for (int n = range[0].toInt(); range.size() == 2 && n <= range[1].toInt(); ++n)
                out += QByteArray(text).replace('#', QByteArray::number(n));
            i = close;
        } else {
            out += c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c == '0' ? '\0' : c;
        }
    }
    return out;
}

#ifdef VELDRA_CASES_DIR
// The rows of tests/cases/<table>.tsv as one column "f" of decoded fields; the
// first field names the row, lines starting with # are comments. A line whose
// first field is "name" names the columns for cell().
inline QByteArrayList caseColumns;

inline void caseRows(const QString& table)
{
    QTest::addColumn<QByteArrayList>("f");
    QFile file(QStringLiteral(VELDRA_CASES_DIR "/") + table + ".tsv");
    if (!file.open(QIODevice::ReadOnly))
        qFatal("No case table %s", qPrintable(table));
    caseColumns.clear();
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        QByteArrayList f = line.split('\t');
        for (QByteArray& field : f)
            field = unescape(field);
        const QByteArray name = f.takeFirst();
        if (name == "name")
            caseColumns = f;
        else
            QTest::newRow(name.constData()) << f;
    }
}

// The current row's field in the named column.
inline QString cell(const char* column)
{
    const auto* f = static_cast<QByteArrayList*>(QTest::qData("f", qMetaTypeId<QByteArrayList>()));
    return QString::fromUtf8(f->value(caseColumns.indexOf(column)));
}
#endif
