#pragma once

// Shared by the libFuzzer targets: texts drawn from the input, checks that
// stop the run, and a scratch shop database.

#include "core/store/Shop.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QString>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);     \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)

// A text as a box could hold it: UTF-8 (broken sequences become U+FFFD) or
// raw UTF-16, lone surrogates and NUL included.
inline QString FuzzText(FuzzedDataProvider& data, size_t maxBytes = 64)
{
    const bool utf16 = data.ConsumeBool();
    const std::string bytes = data.ConsumeRandomLengthString(maxBytes);
    if (utf16)
        return QString(reinterpret_cast<const QChar*>(bytes.data()), qsizetype(bytes.size() / 2));
    return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
}

inline QByteArray Printable(const QString& text)
{
    return text.toUtf8().toPercentEncoding(" -/.:年月日");
}

// Qt wants an application object before plugins (the SQLite driver) load.
inline void FuzzApplication()
{
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);
}

// A folder that lives as long as the fuzzing run.
inline QString ScratchFolder()
{
    static QTemporaryDir folder;
    return folder.path();
}

// The scratch shop the target opened (OpenDatabase): the session shop.
inline Shop& FuzzShop()
{
    return *SessionShop();
}
