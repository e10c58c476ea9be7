#pragma once

#include <QString>
#include <stdexcept>

// An unexpected failure inside an operation: what went wrong and which
// component raised it, as the error report shows them.
class MovrntError : public std::runtime_error
{
public:
    MovrntError(const QString& description, const QString& source)
        : std::runtime_error(description.toStdString()), description_(description), source_(source)
    {
    }
    const QString& description() const { return description_; }
    const QString& source() const { return source_; }

private:
    QString description_;
    QString source_;
};
