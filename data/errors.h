#pragma once

#include <QString>
#include <stdexcept>

namespace data {

// Failures that end a handler and reach the error box. what() is UTF-8.
class Error : public std::runtime_error {
public:
    explicit Error(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromUtf8(what()); }
};

// Raised by the database layer: a refused statement, a lost connection...
class DatabaseError : public Error {
public:
    using Error::Error;
};

// A value that cannot be read as the number the program needs.
class ConversionError : public Error {
public:
    using Error::Error;
};

}  // namespace data
