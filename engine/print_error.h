#pragma once

#include <QString>
#include <stdexcept>

namespace engine {

// The engine itself failed: a job that could not be handed to its printer or
// written to its file. what() is UTF-8 and names the printer or file.
class PrintError : public std::runtime_error {
public:
    explicit PrintError(const QString& message) : std::runtime_error(message.toStdString()) {}
};

}  // namespace engine
