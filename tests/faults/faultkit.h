#pragma once

#include <QList>
#include <QMap>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QVariant>
#include <functional>

class TestShop;

// What the fault suites share: the real program started as a shop starts it,
// its workstation (installation directory, system settings, PDF folder), a
// backlog of orders, and the counts they check (tickets and printed flags).
namespace faults {

QString programPath();
QString scriptPath(const QString& name);

// Polls `done` while the event loop runs; false when it is still not true
// after `timeoutMs`.
bool waitFor(const std::function<bool()>& done, int timeoutMs, int pollMs = 10);

// Runs a command to its end; returns its exit code (-1 when it crashed or
// could not start) and puts what it wrote in `output`.
int run(const QString& program, const QStringList& arguments, QString* output = nullptr);

// SQL through a connection made for this one call: the fixture's own
// connection does not survive a restart of the server. Throws DatabaseError.
QList<QVariantList> query(const TestShop& shop, const QString& sql);

// The orders of today and the printed flag of their kitchen items: "S" when
// all are marked, "N" when none is, "mixed" otherwise.
QMap<int, QString> kitchenFlags(const TestShop& shop);

// Replaces the demo shop's orders with `count` orders of today (ids 1 to
// count), each with one ready, unprinted kitchen item registered at midnight,
// so that every pass marks what it printed.
void seedBacklog(TestShop& shop, int count);

// Moves the demo shop's orders to today and their items to midnight, so that
// the template's day and hour of creation do not matter.
void bringDemoToToday(TestShop& shop);

// Tickets per order: the files "Impresion comanda <id>.pdf" and
// "Impresion comanda <id> (n).pdf" in a folder.
QMap<int, int> ticketsIn(const QString& folder);
int ticketCount(const QString& folder);

// The suite's installation directory with SERVIDORES.cfg and impresoras.cfg
// (COCINA and BAR on the built-in PDF printer), the system settings naming it
// (XDG_CONFIG_DIRS/Quolid/Vemtrax2022.conf) and an empty PDF folder.
class Workstation {
public:
    explicit Workstation(const QString& serverFolder, bool withKey = true);

    QString installDir() const { return root_.filePath("install"); }
    QString pdfDir() const { return pdfDir_; }
    void setPdfDir(const QString& folder) { pdfDir_ = folder; }
    void write(const QString& name, const QByteArray& bytes) const;
    QProcessEnvironment environment() const;
    QMap<int, int> tickets() const { return ticketsIn(pdfDir_); }

private:
    QTemporaryDir root_;
    QString pdfDir_;
};

// The built program, offscreen, with a 300 ms timer and six arguments.
class Program {
public:
    explicit Program(const Workstation& workstation);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    static QStringList arguments(const TestShop& shop);
    bool start(const QStringList& arguments);
    qint64 pid() const { return process_.processId(); }
    bool running() const { return process_.state() == QProcess::Running; }
    // Everything the program wrote to stderr so far.
    QString errors();
    // Sends a signal and waits for the end; false when it did not end in time.
    bool signalAndWait(int signal, int timeoutMs);
    int exitCode() const { return process_.exitCode(); }
    QProcess::ExitStatus exitStatus() const { return process_.exitStatus(); }

private:
    const Workstation& workstation_;
    QProcess process_;
    QString errors_;
};

}  // namespace faults
