#pragma once

#include <QString>
#include <stdexcept>

// An unexpected failure inside an operation: what went wrong and which
// component raised it, as the error report shows them.
class MovrntError : public std::runtime_error
{
public:
    // `code`: the database's SQLSTATE, when the database refused.
    MovrntError(const QString& description, const QString& source, const QString& code = {})
        : std::runtime_error(description.toStdString()), description_(description), source_(source),
          code_(code)
    {
    }
    const QString& description() const { return description_; }
    const QString& source() const { return source_; }
    const QString& code() const { return code_; }

private:
    QString description_;
    QString source_;
    QString code_;
};
