#pragma once

#include <QDir>
#include <QLineEdit>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <memory>

#include "app/lookupcombo.h"
#include "app/tfimpcomanda.h"
#include "data/clock.h"
#include "data/errors.h"
#include "engine/qt_report_system.h"
#include "installation.h"
#include "message_recorder.h"
#include "testshop.h"

// The program's window on a test shop with the real Qt engine: every ticket
// becomes a PDF in a folder of its own, whatever printers CUPS has.
struct HostileWindow {
    explicit HostileWindow(TestShop& shop) {
        installation.write("SERVIDORES.cfg", shop.serverFolder().toUtf8() + "\r\n");
        report.setPrinterSource([] { return engine::SystemPrinters{}; });
        report.setPdfFolder(pdfFolder.path());
        window = std::make_unique<app::Tfimpcomanda>(fdm, report, QStringList{});
    }
    ~HostileWindow() { data::clock::setForTesting({}); }

    void login(const QString& queue = "1") {
        window->Tusua->setText(TestShop::user());
        window->TClave->setText(TestShop::password());
        window->Cia->setText("01");
        window->CiaExit();
        window->Cola->setKeyValue(queue);
        fdm.statementLog().clear();
    }
    // One pass as the timer runs it, so a failure ends in the error box.
    void pass() { QMetaObject::invokeMethod(&window->Timer1, "timeout", Qt::DirectConnection); }
    QStringList log() { return fdm.statementLog().entries(); }
    QStringList pdfs() const {
        const QDir folder(pdfFolder.path());
        QStringList paths;
        for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden, QDir::Name))
            paths << folder.filePath(name);
        return paths;
    }

    Installation installation;
    MessageRecorder messages;
    QTemporaryDir pdfFolder;
    data::Tfdm fdm;
    engine::QtReportSystem report;
    std::unique_ptr<app::Tfimpcomanda> window;
};

// A statement with bound values through a connection of our own, for what
// does not fit in a statement's text (a 10 MB blob).
inline void execBound(const TestShop& shop, const QString& sql, const QVariantList& values) {
    const QString name = QStringLiteral("hostile-bound");
    QString error;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QIBASE"), name);
        db.setDatabaseName(shop.companyDatabase());
        db.setUserName(TestShop::user());
        db.setPassword(TestShop::password());
        if (db.open()) {
            QSqlQuery query(db);
            query.prepare(sql);
            for (const QVariant& value : values)
                query.addBindValue(value);
            if (!query.exec()) error = query.lastError().text() + "\n" + sql;
        } else {
            error = db.lastError().text();
        }
    }
    QSqlDatabase::removeDatabase(name);
    if (!error.isEmpty()) throw data::DatabaseError(error);
}
