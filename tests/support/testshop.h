#pragma once

#include <QList>
#include <QString>
#include <QVariant>

// A shop's server folder on the real Firebird server, made for one test from the
// template databases that scripts/test creates (IMPC_TEMPLATE_DIR):
//   <folder>/datos/general.fdb and <folder>/datos/<company>/vemtrax.fdb.
// The test reaches it as "localhost:<folder>", exactly as a workstation would.
class TestShop {
public:
    enum class Content { Empty, Demo };

    explicit TestShop(Content content = Content::Empty, const QString& company = "01");
    ~TestShop();
    TestShop(const TestShop&) = delete;
    TestShop& operator=(const TestShop&) = delete;

    // What the "Servidor" list holds for this shop: "localhost:/tmp/impc-tests/..."
    QString serverFolder() const;
    QString folder() const { return folder_; }
    QString companyDatabase() const;
    static QString user();
    static QString password();

    // SQL through the fixture's own connection (autocommitted); a refused
    // statement throws data::DatabaseError.
    void exec(const QString& sql);
    QVariant scalar(const QString& sql);
    QList<QVariantList> rows(const QString& sql);

private:
    QString folder_;
    QString company_;
    QString connectionName_;
};

// Environment contract with scripts/test.
QString testEnv(const char* name);
