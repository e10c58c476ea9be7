// The number and money parsers and the member charge on any text a box,
// a setting or an imported record may hold.

#include "FuzzSupport.h"
#include "core/rentals/Rentals.h"
#include "core/store/Money.h"
#include "core/store/Numbers.h"

#include <cmath>
#include <limits>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    FuzzedDataProvider data(bytes, size);
    const QString text = FuzzText(data, 40);
    const QString other = FuzzText(data, 40);

    if (IsNumeric(text)) {
        FUZZ_CHECK(std::isfinite(NumberValue(text)));
        (void)AmountText(NumberValue(text));
    }
    const std::optional<Money> money = ParseMoney(text);
    FUZZ_CHECK(!money || IsNumeric(text));
    // What the program shows of an amount reads back as the same amount,
    // across the range a shop's money can take exactly.
    if (money && std::llabs(*money) < (Money(1) << 50)) {
        FUZZ_CHECK(ParseMoney(MoneyText(*money)) == money);
    }
    const Money any = data.ConsumeIntegral<Money>();
    const QString anyText = MoneyText(any);
    FUZZ_CHECK(IsNumeric(anyText));
    if (std::llabs(any) < (Money(1) << 50))
        FUZZ_CHECK(ParseMoney(anyText) == any);

    if (const std::optional<Money> deposit = ParseDeposit(text))
        FUZZ_CHECK(std::llabs(*deposit) <= 1'000'000'000 * kYuan);

    qint64 first = -1, last = -1;
    if (CheckRange(text, other, &first, &last) == RangeCheck::Ok)
        FUZZ_CHECK(0 <= first && first <= last);

    // A member's rent: the prepaid amount and level as stored (an imported
    // file can hold any number), the day's rent as the settings allow.
    const double stored = data.ConsumeFloatingPoint<double>();
    const int level = data.ConsumeIntegral<int>();
    const std::optional<Money> dayRent = ParseMoney(other);
    const std::optional<Money> prepaid = StoredMoney(stored);
    if (dayRent && prepaid) {
        const std::optional<Money> left = PrepaidAfterRental(*prepaid, *dayRent, level);
        // Within a shop's figures a rental never adds to what is left.
        if (level >= 0 && level <= 9 && *dayRent >= 0 && std::fabs(stored) < 1e13 &&
            *dayRent < 1e13 * kYuan)
            FUZZ_CHECK(left && *left <= *prepaid + kYuan / 20);
    }
    return 0;
}
