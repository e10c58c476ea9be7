#pragma once

#include <QString>
#include <functional>
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

// Thrown when long work was asked to stop: its transaction is rolled back,
// nothing was changed.
class WorkCancelled : public MovrntError
{
public:
    WorkCancelled() : MovrntError(QStringLiteral("操作已取消"), QStringLiteral("MOVRNT")) {}
};

// Long work on rows hears now and then how much of `total` is done; false
// from it stops the work (WorkCancelled), and its transaction rolls back.
using RowsDone = std::function<bool(qint64 done, qint64 total)>;
