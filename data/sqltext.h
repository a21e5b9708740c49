#pragma once

#include <QString>

namespace data {

// A text written into a statement: in single quotes, every quote doubled, so a
// prefix typed by staff can never end the literal early.
inline QString quotedLiteral(const QString& text) {
    QString doubled = text;
    doubled.replace('\'', "''");
    return '\'' + doubled + '\'';
}

}  // namespace data
