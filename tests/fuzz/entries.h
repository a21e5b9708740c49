#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <vector>

// One entry point per fuzzed parser. The libFuzzer binaries and the regression
// replay test call the same functions, so an input that once broke a parser is
// replayed by the ordinary suite. Refusals the parsers promise (an exception,
// an empty result) are fine; a broken promise aborts, in release builds too.
namespace fuzz {

void serverList(const QByteArray& input);
void printerName(const QByteArray& input);
void picture(const QByteArray& input);
void fixed4(const QByteArray& input);
void numberFormat(const QByteArray& input);

struct Target {
    QString name;  // also the folder name under corpus/ and regressions/
    std::function<void(const QByteArray&)> run;
};
const std::vector<Target>& targets();

}  // namespace fuzz
