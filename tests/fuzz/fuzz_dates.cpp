// The date-text helpers on any text a box or a stored record may hold.

#include "FuzzSupport.h"
#include "core/store/DateText.h"

#include <QDate>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    FuzzedDataProvider data(bytes, size);
    const QString a = FuzzText(data, 24);
    const QString b = FuzzText(data, 24);

    (void)FormatDateText(a);
    (void)ChineseDateText(a);
    FUZZ_CHECK(DayCount(a, b) == -DayCount(b, a));

    const QString normal = NormalDateText(a);
    if (!normal.isEmpty()) {
        // One form, a real day, and the same day as the text it came from.
        FUZZ_CHECK(normal.size() == 10);
        FUZZ_CHECK(QDate::fromString(normal, QStringLiteral("yyyy-MM-dd")).isValid());
        FUZZ_CHECK(NormalDateText(normal) == normal);
        FUZZ_CHECK(FormatDateText(normal) == normal);
        FUZZ_CHECK(DayCount(a, normal) == 0);
        FUZZ_CHECK(ChineseDateText(normal).size() == 11);
        const QString other = NormalDateText(b);
        if (!other.isEmpty())
            FUZZ_CHECK(DayCount(a, b) ==
                       QDate::fromString(normal, QStringLiteral("yyyy-MM-dd"))
                           .daysTo(QDate::fromString(other, QStringLiteral("yyyy-MM-dd"))));
    }
    return 0;
}
