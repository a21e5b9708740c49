#pragma once

#include <QImage>
#include <QList>
#include <QRect>
#include <QSizeF>
#include <QString>
#include <QStringList>

// Reads a PDF from outside with poppler-utils, as a person checking a printed
// ticket would. Positions are PDF points from the page's top-left.
namespace pdfprobe {

struct Word {
    int page = 0;
    QString text;
    double xMin = 0, yMin = 0, xMax = 0, yMax = 0;
};

// pdftotext -bbox, every word of every page.
QList<Word> words(const QString& pdf);
// The first word with this text, or a Word with page 0.
Word word(const QString& pdf, const QString& text);

// DejaVu Sans ascends 0.928 and descends 0.236 of the size, which is how
// poppler spans a word's box around its baseline.
inline double dejaVuBaseline(const Word& w) {
    return w.yMax - (w.yMax - w.yMin) * 0.236 / 1.164;
}
inline double dejaVuSize(const Word& w) {
    return (w.yMax - w.yMin) / 1.164;
}

// pdfinfo: page count and the size of a page in points.
int pageCount(const QString& pdf);
QSizeF pageSize(const QString& pdf, int page = 1);

// pdffonts: the base names of the embedded fonts, e.g. "DejaVuSans".
QStringList fonts(const QString& pdf);

// pdftoppm -gray at `dpi`: one page as an 8-bit grey image.
QImage grayPage(const QString& pdf, int page = 1, int dpi = 100);

// Pixels darker than mid-grey.
bool isDark(const QImage& image, int x, int y);
// The smallest rectangle holding every dark pixel inside `area` (null if none).
QRect darkBounds(const QImage& image, const QRect& area);
inline QRect darkBounds(const QImage& image) {
    return darkBounds(image, image.rect());
}

}  // namespace pdfprobe
