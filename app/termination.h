#pragma once

#include <QObject>

class QSocketNotifier;

namespace app {

// Turns SIGTERM and SIGINT into a Qt signal on the window's thread (through a
// self-pipe), so that a service manager or Ctrl+C stops the program the same
// way Esc does: no job cut in half, no order marked that was not printed.
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

    // The Firebird client library installs its own handlers when it first
    // connects; call this again after a connection is opened to take them back.
    static void install();

signals:
    void terminationRequested();

private:
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace app
