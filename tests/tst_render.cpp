// SPDX-License-Identifier: GPL-3.0-or-later
// The batch renderer's plain parts: the command line, the lines of a batch
// list, and the worker pool with trivial tasks.
#include "arguments.h"
#include "batchlist.h"
#include "caserows.h"
#include "workerpool.h"

#include <QTemporaryDir>

#include <csignal>
#include <cstdio>
#include <map>
#include <set>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace render;

namespace
{

QByteArray jobText(const Job& j)
{
    return QByteArray::fromStdString(j.input + " " + j.output + " ") +
           QByteArray::number(j.format) + " " + QByteArray::number(j.width) + "x" +
           QByteArray::number(j.height) + " " + QByteArray::number(j.scale) +
           (j.describe ? " describe" : "");
}

QByteArrayList numbers(const QByteArray& list)
{
    return list.isEmpty() ? QByteArrayList() : list.split(',');
}

} // namespace

class TestRender : public QObject
{
    Q_OBJECT

  private slots:
    // Arguments (separated by |) to the options or the refusal.
    void arguments_data() { caseRows("render-arguments"); }
    void arguments()
    {
        QFETCH(QByteArrayList, f);
        std::vector<std::string> args;
        for (const QByteArray& a : f[0].isEmpty() ? QByteArrayList() : f[0].split('|'))
            args.push_back(a.toStdString());
        const ParsedArguments p = parseArguments(args);
        const Options& o = p.options;
        QByteArray got = o.help ? "help" : "version";
        if (!o.help && !o.version && !p.result)
            got = "refused: " + QByteArray::fromStdString(p.result.message());
        else if (!o.help && !o.version)
            got = "ok: " + QByteArray::fromStdString(o.settings) + " | " + jobText(o.job) +
                  " | folder " + QByteArray::fromStdString(o.folder) + " | batch " +
                  QByteArray::fromStdString(o.batch) + " " + QByteArray::number(o.givenFormat) +
                  " | timeout " + QByteArray::number(o.timeout);
        QCOMPARE(got, f[1]);
    }

    // One line of a batch list, with --format and --scale as given to the run.
    void listLine_data() { caseRows("render-list"); }
    void listLine()
    {
        QFETCH(QByteArrayList, f);
        Job defaults;
        defaults.scale = f[2].toInt();
        const ListLine l = parseListLine(f[0].toStdString(), 7, defaults, f[1].toInt());
        const QByteArray got =
            l.kind == ListLine::Skipped ? QByteArray("skipped")
            : l.kind == ListLine::Refused
                ? "refused: " + QByteArray::fromStdString(l.problem)
                : "chart " + QByteArray::number(l.job.line) + ": " + jobText(l.job);
        QCOMPARE(got, f[3]);
    }

    // Tasks run once each, at most perWorker in one process; a task may fail
    // (status 1), end its worker (exit:N), be killed (signal:N) or hang past
    // the time limit (in ms; reported as "late").
    void workerPool_data() { caseRows("render-pool"); }
    void workerPool()
    {
        QFETCH(QByteArrayList, f);
        const int count = f[2].toInt();
        std::map<int, QByteArray> fate; // task -> "fail", "exit:N", "signal:N"
        for (const QByteArray& t : numbers(f[3]))
            fate[t.split('=')[0].toInt()] = t.split('=')[1];
        QTemporaryDir dir;
        const QByteArray log = dir.filePath("log").toLocal8Bit();
        WorkerPool::Tasks tasks;
        tasks.run = [&](int index) {
            const QByteArray what = fate.count(index) ? fate[index] : QByteArray();
            const int fd = ::open(log.constData(), O_WRONLY | O_APPEND | O_CREAT, 0600);
            const QByteArray line =
                QByteArray::number(index) + " " + QByteArray::number(::getpid()) + "\n";
            (void)!::write(fd, line.constData(), std::size_t(line.size()));
            ::close(fd);
            if (what.startsWith("exit:"))
                std::_Exit(what.mid(5).toInt());
            if (what.startsWith("signal:"))
                ::kill(::getpid(), what.mid(7).toInt());
            while (what == "hang")
                ::pause();
            return what == "fail" ? 1 : 0;
        };
        QByteArrayList lost;
        tasks.lost = [&](int index, int status) {
            lost << QByteArray::number(index) + "=" +
                        (WIFSIGNALED(status) ? "signal:" + QByteArray::number(WTERMSIG(status))
                                             : "exit:" + QByteArray::number(WEXITSTATUS(status)));
        };
        tasks.timedOut = [&](int index) { lost << QByteArray::number(index) + "=late"; };
        WorkerPool pool(f[0].toInt(), f[1].toInt(), tasks, f[5].toInt());
        QVERIFY(pool.runAll(count));
        QCOMPARE(pool.failed(), int(fate.size()));
        std::sort(lost.begin(), lost.end());
        QCOMPARE(lost.join(','), f[4]);

        std::map<QByteArray, int> perProcess;
        std::multiset<int> ran;
        for (const QByteArray& line : readLog(QString::fromLocal8Bit(log))) {
            ran.insert(line.split(' ')[0].toInt());
            ++perProcess[line.split(' ')[1]];
        }
        QCOMPARE(int(ran.size()), count);
        for (int i = 0; i < count; ++i)
            QCOMPARE(int(ran.count(i)), 1);
        for (const auto& process : perProcess)
            QVERIFY(process.second <= f[1].toInt());
        QVERIFY(int(perProcess.size()) >= (count + f[1].toInt() - 1) / f[1].toInt());
    }

  private:
    static QByteArrayList readLog(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed().split('\n')
                                              : QByteArrayList();
    }
};

QTEST_GUILESS_MAIN(TestRender)
#include "tst_render.moc"
