#pragma once

#include <QLineEdit>
#include <memory>

#include "app/lookupcombo.h"
#include "app/tfimpcomanda.h"
#include "data/clock.h"
#include "installation.h"
#include "message_recorder.h"
#include "recording_report.h"
#include "testshop.h"

// The program's window on a test shop, drawing into the recording engine and
// with its message boxes recorded.
struct WindowFixture {
    explicit WindowFixture(TestShop* shop = nullptr, bool withKey = true,
                           const QStringList& parameters = {})
        : installation(withKey) {
        if (shop) installation.write("SERVIDORES.cfg", shop->serverFolder().toUtf8() + "\r\n");
        window = std::make_unique<app::Tfimpcomanda>(fdm, report, parameters);
    }
    ~WindowFixture() { data::clock::setForTesting({}); }

    void typeLogin(const QString& password = TestShop::password()) {
        window->Tusua->setText(TestShop::user());
        window->TClave->setText(password);
        window->Cia->setText("01");
    }
    // Logs in and chooses the queue, as staff would before the first pass.
    void loginWithQueue(const QString& queue = "1") {
        typeLogin();
        window->CiaExit();
        window->Cola->setKeyValue(queue);
        fdm.statementLog().clear();
    }
    QStringList log() { return fdm.statementLog().entries(); }
    // A tick of Timer1 as the event loop delivers it.
    void tick() { QMetaObject::invokeMethod(&window->Timer1, "timeout", Qt::DirectConnection); }

    Installation installation;
    MessageRecorder messages;
    data::Tfdm fdm;
    RecordingReport report;
    std::unique_ptr<app::Tfimpcomanda> window;
};

inline void setClock(const QDateTime& moment) {
    data::clock::setForTesting([moment] { return moment; });
}
