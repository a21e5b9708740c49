// Replays every kept fuzz input (seed corpus and inputs that once crashed)
// through the entries the libFuzzer binaries use, so the ordinary build guards them.
#include <QDir>
#include <QFile>
#include <QTest>
#include <algorithm>

#include "entries.h"

class TestFuzzReplay : public QObject {
    Q_OBJECT
private slots:
    void replay_data() {
        QTest::addColumn<QString>("target");
        for (const fuzz::Target& target : fuzz::targets())
            QTest::newRow(qPrintable(target.name)) << target.name;
    }
    void replay() {
        QFETCH(QString, target);
        const auto& all = fuzz::targets();
        const auto entry = std::find_if(all.begin(), all.end(),
                                        [&](const fuzz::Target& t) { return t.name == target; });
        QVERIFY(entry != all.end());

        const QDir root(QStringLiteral(IMPC_FUZZ_DIR));
        const QFileInfoList seeds = filesIn(root.filePath("corpus/" + target));
        QVERIFY2(!seeds.isEmpty(), "every target has a seed corpus");
        const QFileInfoList inputs = seeds + filesIn(root.filePath("regressions/" + target));
        for (const QFileInfo& file : inputs) {
            QFile in(file.filePath());
            QVERIFY2(in.open(QIODevice::ReadOnly), qPrintable(file.filePath()));
            // A crash ends the process; ctest then names this test.
            entry->run(in.readAll());
        }
    }

private:
    static QFileInfoList filesIn(const QString& folder) {
        return QDir(folder).entryInfoList(QDir::Files | QDir::Hidden, QDir::Name);
    }
};

QTEST_GUILESS_MAIN(TestFuzzReplay)
#include "tst_fuzzreplay.moc"
