#pragma once

#include <QString>

namespace engine {

// "<title>.pdf", or "<title> (n).pdf" from the second file of a title on;
// characters that cannot be part of a file name become '_'.
QString pdfFileName(const QString& title, int n);

// The file a job is drawn into: a hidden temporary file in the destination
// folder (created when missing), which becomes "<title>.pdf" only when the job
// succeeded. Destroyed unpublished, it leaves nothing behind.
class PdfFile {
public:
    explicit PdfFile(const QString& folder);  // throws PrintError
    ~PdfFile();
    PdfFile(const PdfFile&) = delete;
    PdfFile& operator=(const PdfFile&) = delete;

    const QString& path() const { return tempPath_; }

    // Throws PrintError unless the drawn file is there and not empty.
    void checkWritten() const;

    // Moves the file to the first free name for `title`, never replacing an
    // earlier file, and returns its path. Throws PrintError.
    QString publish(const QString& title);

private:
    QString folder_;
    QString tempPath_;
    bool published_ = false;
};

}  // namespace engine
