#pragma once

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

// The suite's installation directory for one test: the system settings that
// name it, and the files in it.
class Installation {
public:
    // Without `withKey` the settings exist but name no installation at all.
    explicit Installation(bool withKey = true) {
        QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, settings_.path());
        if (withKey)
            QSettings(QSettings::NativeFormat, QSettings::SystemScope, "Quolid", "Vemtrax2022")
                .setValue("Directorio", directory_.path());
    }
    QString directory() const { return directory_.path(); }
    void write(const QString& name, const QByteArray& bytes) const {
        QFile file(directory_.path() + "/" + name);
        if (file.open(QIODevice::WriteOnly)) file.write(bytes);
    }

private:
    QTemporaryDir settings_;
    QTemporaryDir directory_;
};
