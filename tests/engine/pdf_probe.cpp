#include "pdf_probe.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace pdfprobe {

namespace {

QString run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0) {
        qWarning() << program << arguments << "failed:" << process.readAllStandardError();
        return {};
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString unescapeXml(QString text) {
    return text.replace("&lt;", "<")
        .replace("&gt;", ">")
        .replace("&quot;", "\"")
        .replace("&amp;", "&");
}

}  // namespace

QList<Word> words(const QString& pdf) {
    static const QRegularExpression tag(
        R"re(<page |<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
    QList<Word> found;
    int page = 0;
    auto matches = tag.globalMatch(run("pdftotext", {"-bbox", pdf, "-"}));
    while (matches.hasNext()) {
        const auto m = matches.next();
        if (m.captured(0) == "<page ") {
            ++page;
            continue;
        }
        found << Word{page,
                      unescapeXml(m.captured(5)),
                      m.captured(1).toDouble(),
                      m.captured(2).toDouble(),
                      m.captured(3).toDouble(),
                      m.captured(4).toDouble()};
    }
    return found;
}

Word word(const QString& pdf, const QString& text) {
    for (const Word& w : words(pdf)) {
        if (w.text == text) return w;
    }
    return {};
}

int pageCount(const QString& pdf) {
    static const QRegularExpression pages(R"(Pages:\s+(\d+))");
    return pages.match(run("pdfinfo", {pdf})).captured(1).toInt();
}

QSizeF pageSize(const QString& pdf, int page) {
    static const QRegularExpression size(R"(Page\s+\d+ size:\s+([\d.]+) x ([\d.]+) pts)");
    const QString p = QString::number(page);
    const auto m = size.match(run("pdfinfo", {"-f", p, "-l", p, pdf}));
    return m.hasMatch() ? QSizeF(m.captured(1).toDouble(), m.captured(2).toDouble()) : QSizeF();
}

QStringList fonts(const QString& pdf) {
    QStringList names;
    // Two header lines, then one font per line: "ABCDEF+DejaVuSans CID TrueType ..."
    const QStringList lines = run("pdffonts", {pdf}).split('\n', Qt::SkipEmptyParts).mid(2);
    for (const QString& line : lines) {
        const QString name = line.section(' ', 0, 0);
        names << name.section('+', -1);
    }
    return names;
}

QImage grayPage(const QString& pdf, int page, int dpi) {
    QTemporaryDir dir;
    const QString p = QString::number(page);
    const QString stem = dir.filePath("page");
    run("pdftoppm",
        {"-r", QString::number(dpi), "-gray", "-f", p, "-l", p, "-singlefile", pdf, stem});
    return QImage(stem + ".pgm").convertToFormat(QImage::Format_Grayscale8);
}

bool isDark(const QImage& image, int x, int y) {
    return qGray(image.pixel(x, y)) < 128;
}

QRect darkBounds(const QImage& image, const QRect& area) {
    QRect bounds;
    const QRect inside = area & image.rect();
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) {
            if (isDark(image, x, y)) bounds |= QRect(x, y, 1, 1);
        }
    }
    return bounds;
}

}  // namespace pdfprobe
