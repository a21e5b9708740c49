#include "entries.h"

#include <QLocale>
#include <QtEndian>
#include <cstdio>
#include <cstdlib>

#include "data/configfiles.h"
#include "data/fixed4.h"
#include "render/numberformat.h"
#include "render/picture.h"

namespace fuzz {
namespace {

// A broken promise is a crash for the fuzzer and a failure for the replay.
void expect(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "fuzz invariant broken: %s\n", what);
    std::abort();
}

// Splits a leading length byte off the input: the first byte says how many of
// the following bytes form the first part (the rest is the second).
std::pair<QByteArray, QByteArray> splitByLeadingLength(const QByteArray& input) {
    if (input.isEmpty()) return {};
    const qsizetype length = qMin<qsizetype>(quint8(input[0]), input.size() - 1);
    return {input.mid(1, length), input.mid(1 + length)};
}

bool hasLineEnd(const QString& text) {
    return text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
}

const QLocale& localeNumber(quint8 pick) {
    // Separators and currency patterns that differ from one another: comma
    // and point swapped, a blank group separator, symbol after the amount,
    // an Arabic-script locale with its own digits and signs.
    static const QList<QLocale> locales = {
        QLocale::c(),
        QLocale(QLocale::Spanish, QLocale::Colombia),
        QLocale(QLocale::English, QLocale::UnitedStates),
        QLocale(QLocale::German, QLocale::Germany),
        QLocale(QLocale::French, QLocale::France),
        QLocale(QLocale::Arabic, QLocale::Egypt),
        QLocale(QLocale::Hindi, QLocale::India),
    };
    return locales[pick % locales.size()];
}

}  // namespace

void serverList(const QByteArray& input) {
    const QStringList entries = data::parseServerList(input);
    for (const QString& entry : entries)
        expect(!hasLineEnd(entry), "a server folder holds a line end");
    expect(entries.size() <= input.size(), "more server folders than bytes");
}

void printerName(const QByteArray& input) {
    const auto [key, file] = splitByLeadingLength(input);
    const QString name = data::findPrinterName(file, data::decodeShopText(key));
    expect(!hasLineEnd(name), "a printer name holds a line end");
}

void picture(const QByteArray& input) {
    try {
        const QImage image = render::decodePicture(input);
        if (input.isEmpty())
            expect(image.isNull(), "an empty blob gives a picture");
        else
            expect(!image.isNull(), "a decoded picture is null");
        expect(qint64(image.width()) * image.height() <= render::kMaxPicturePixels,
               "a picture beyond the pixel limit was decoded");
    } catch (const render::InvalidBitmapError& error) {
        expect(!error.message().isEmpty(), "a refused picture without a message");
    }
}

void fixed4(const QByteArray& input) {
    for (const QChar separator : {QLatin1Char(','), QLatin1Char('.')}) {
        const QString text = QString::fromUtf8(input);
        const std::optional<data::Fixed4> value = data::Fixed4::parse(text, separator);
        if (!value) continue;
        // Whatever is accepted reads back to the same count from its own text.
        const std::optional<data::Fixed4> again =
            data::Fixed4::parse(value->toString(separator), separator);
        expect(again && *again == *value, "Fixed4 text does not read back");
    }
}

void numberFormat(const QByteArray& input) {
    // 8 bytes of raw count, 4 bytes of decimals, 1 byte of locale; the rest is
    // a DAFO_FORMATO text.
    QByteArray head = input.left(13);
    head.resize(13, '\0');
    const auto value = data::Fixed4::fromRaw(qFromLittleEndian<qint64>(head.constData()));
    const qint32 rawDecimals = qFromLittleEndian<qint32>(head.constData() + 8);
    const QLocale& locale = localeNumber(quint8(head[12]));
    const int fromText = render::decimalsFrom(QString::fromUtf8(input.mid(13)));

    for (const int decimals : {int(rawDecimals), fromText}) {
        const QString number = render::formatNumber(value, decimals, locale);
        const QString currency = render::formatCurrency(value, decimals, locale);
        expect(!number.isEmpty() && !currency.isEmpty(), "an empty formatted number");
        if (value.raw() == 0)
            expect(!number.startsWith(locale.negativeSign()), "a zero with a minus sign");
        const int kept = qBound(0, decimals, render::kMaxDecimals);
        if (kept > 0) {
            const qsizetype point = number.lastIndexOf(locale.decimalPoint());
            expect(point >= 0 && number.size() - point - locale.decimalPoint().size() == kept,
                   "wrong number of decimals");
        } else {
            expect(!number.contains(locale.decimalPoint()), "a decimal point without decimals");
        }
    }
}

const std::vector<Target>& targets() {
    static const std::vector<Target> all = {
        {QStringLiteral("serverlist"), serverList},
        {QStringLiteral("printername"), printerName},
        {QStringLiteral("picture"), picture},
        {QStringLiteral("fixed4"), fixed4},
        {QStringLiteral("numberformat"), numberFormat},
    };
    return all;
}

}  // namespace fuzz
