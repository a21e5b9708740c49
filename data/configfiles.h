#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The two small text files of the installation directory.
namespace data {

// SERVIDORES.cfg: one server folder per line. CR LF, LF and a lone CR each end a
// line; empty and repeated lines stay; a last line without a line end is kept.
// A line longer than 255 characters is kept whole.
QStringList parseServerList(const QByteArray& bytes);
QStringList readServerList(const QString& path);  // missing/unreadable file: empty

// impresoras.cfg: "key,printer name" lines. The first line that contains key +
// "," anywhere and has text after it gives that text, untrimmed. Empty if none.
QString findPrinterName(const QByteArray& bytes, const QString& key);

// Text of the shop's files: UTF-8 when it is valid UTF-8, else the Windows code page.
QString decodeShopText(const QByteArray& bytes);

}  // namespace data
