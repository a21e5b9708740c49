#include "engine/pdf_file.h"

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include "engine/print_error.h"

namespace engine {

namespace {

// Also the characters Windows refuses, so that folders shared with Windows
// machines work.
QString safeFileStem(const QString& title) {
    QString stem = title;
    for (QChar& c : stem) {
        if (c < QChar(0x20) || QStringLiteral("/\\:*?\"<>|").contains(c)) c = u'_';
    }
    return stem.trimmed().isEmpty() ? QStringLiteral("Sin titulo") : stem;
}

QString reserveTempFile(const QString& folder) {
    QTemporaryFile file(QDir(folder).filePath(QStringLiteral(".impc-XXXXXX.pdf")));
    file.setAutoRemove(false);
    if (!file.open()) {
        throw PrintError(QStringLiteral("No se puede escribir en la carpeta de PDF \"%1\": %2")
                             .arg(QDir::toNativeSeparators(folder), file.errorString()));
    }
    return file.fileName();
}

}  // namespace

QString pdfFileName(const QString& title, int n) {
    const QString stem = safeFileStem(title);
    return n <= 1 ? stem + QStringLiteral(".pdf") : QStringLiteral("%1 (%2).pdf").arg(stem).arg(n);
}

PdfFile::PdfFile(const QString& folder) : folder_(folder) {
    if (!QDir().mkpath(folder)) {
        throw PrintError(QStringLiteral("No se puede crear la carpeta de PDF \"%1\"")
                             .arg(QDir::toNativeSeparators(folder)));
    }
    tempPath_ = reserveTempFile(folder);
}

PdfFile::~PdfFile() {
    if (!published_) QFile::remove(tempPath_);
}

void PdfFile::checkWritten() const {
    // QPainter::end() does not report a failed write (a full disk), so a
    // ticket counts as written only when the whole file, up to the PDF's end
    // marker, has reached the disk.
    QFile file(tempPath_);
    bool complete =
        file.open(QIODevice::ReadOnly) && file.size() > 0 && ::fsync(file.handle()) == 0;
    if (complete) {
        constexpr qint64 kTail = 64;
        complete = file.seek(qMax<qint64>(0, file.size() - kTail)) &&
                   file.readAll().trimmed().endsWith("%%EOF");
    }
    if (!complete) {
        throw PrintError(QStringLiteral("No se pudo escribir el PDF \"%1\"")
                             .arg(QDir::toNativeSeparators(tempPath_)));
    }
}

QString PdfFile::publish(const QString& title) {
    const QDir dir(folder_);
    // The temporary file is private to us; the ticket itself is for anyone
    // who may read the folder (kitchen staff, the shop's IT person).
    QFile::setPermissions(
        tempPath_, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    for (int n = 1;; ++n) {
        const QString target = dir.filePath(pdfFileName(title, n));
        if (QFileInfo::exists(target)) continue;
        // rename() refuses an existing target, so a file that appeared since
        // the check is not replaced either: the loop just tries the next name.
        if (QFile::rename(tempPath_, target)) {
            published_ = true;
            return target;
        }
        if (!QFileInfo::exists(target)) {
            throw PrintError(QStringLiteral("No se pudo guardar el PDF \"%1\"")
                                 .arg(QDir::toNativeSeparators(target)));
        }
    }
}

}  // namespace engine
