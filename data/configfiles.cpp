#include "configfiles.h"

#include <QFile>
#include <QStringDecoder>

namespace data {
namespace {

// The text of one line: up to its first NUL, decoded.
QString lineText(const QByteArray& line) {
    const qsizetype nul = line.indexOf('\0');
    return decodeShopText(nul < 0 ? line : line.left(nul));
}

enum class LoneCr { EndsLine, Dropped };

// Lines ended by CR LF or LF; a last line without an end is kept. What a CR
// that is not followed by LF does differs between the two files.
QList<QByteArray> splitLines(const QByteArray& bytes, LoneCr loneCr) {
    QList<QByteArray> lines;
    QByteArray line;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        const bool crLf = c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n';
        if (c == '\n' || crLf || (c == '\r' && loneCr == LoneCr::EndsLine)) {
            lines.append(line);
            line.clear();
            if (crLf) ++i;
        } else if (c == '\r') {
            continue;
        } else {
            line.append(c);
        }
    }
    if (!line.isEmpty()) lines.append(line);
    return lines;
}

}  // namespace

QString decodeShopText(const QByteArray& bytes) {
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError()) return text;
    QStringDecoder windows("windows-1252");
    return windows.isValid() ? QString(windows.decode(bytes)) : QString::fromLatin1(bytes);
}

QStringList parseServerList(const QByteArray& bytes) {
    QStringList entries;
    for (const QByteArray& line : splitLines(bytes, LoneCr::EndsLine))
        entries.append(lineText(line));
    return entries;
}

QStringList readServerList(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return parseServerList(file.readAll());
}

QString findPrinterName(const QByteArray& bytes, const QString& key) {
    const QString marker = key + QLatin1Char(',');
    for (const QByteArray& line : splitLines(bytes, LoneCr::Dropped)) {
        const QString text = lineText(line);
        const qsizetype at = text.indexOf(marker);
        if (at < 0) continue;
        const QString name = text.mid(at + marker.size());
        if (!name.isEmpty()) return name;
    }
    return QString();
}

}  // namespace data
