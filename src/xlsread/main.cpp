// movrnt-xls: reads an Excel 97-2003 workbook through libfreexl for the
// program, in a process of its own, so that a damaged or hostile file can
// at worst end this process, never the program holding the shop's books.
//
//   movrnt-xls names FILE        the sheet names
//   movrnt-xls rows FILE INDEX   the cells of one sheet
//
// What it writes: core/maintenance/XlsProtocol.h.

#include "core/maintenance/XlsProtocol.h"

#include <freexl.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {
std::string out;

void Flush()
{
    if (!out.empty() && std::fwrite(out.data(), 1, out.size(), stdout) != out.size())
        std::exit(3);
    out.clear();
}
void Put(const void* data, size_t size)
{
    out.append(static_cast<const char*>(data), size);
    if (out.size() > (1 << 16))
        Flush();
}
void PutU8(uint8_t value)
{
    Put(&value, 1);
}
template <typename T> void PutNumber(T value)
{
    Put(&value, sizeof value); // the program reads it on this machine
}
void PutText(const char* text, size_t size)
{
    PutNumber(uint32_t(size));
    Put(text, size);
}

[[noreturn]] void Finish(const char* error = nullptr)
{
    if (error) {
        PutU8(xls::kError);
        PutText(error, std::strlen(error));
    } else {
        PutU8(xls::kDone);
    }
    Flush();
    std::fflush(stdout);
    std::exit(error ? 2 : 0);
}

bool Holds(const FreeXL_CellValue& value)
{
    switch (value.type) {
    case FREEXL_CELL_INT:
    case FREEXL_CELL_DOUBLE:
    case FREEXL_CELL_DATE:
    case FREEXL_CELL_DATETIME:
        return true;
    case FREEXL_CELL_TEXT:
    case FREEXL_CELL_SST_TEXT:
    case FREEXL_CELL_TIME:
        return value.value.text_value && *value.value.text_value;
    default:
        return false;
    }
}

void PutCell(const FreeXL_CellValue& value)
{
    switch (value.type) {
    case FREEXL_CELL_INT:
        PutU8(xls::kNumber);
        PutNumber(double(value.value.int_value));
        return;
    case FREEXL_CELL_DOUBLE:
        PutU8(xls::kNumber);
        PutNumber(value.value.double_value);
        return;
    case FREEXL_CELL_DATE:
    case FREEXL_CELL_DATETIME:
        PutU8(xls::kDate);
        PutText(value.value.text_value, value.value.text_value
                                            ? strnlen(value.value.text_value, 10)
                                            : 0);
        return;
    default:
        if (Holds(value)) {
            PutU8(xls::kText);
            PutText(value.value.text_value, std::strlen(value.value.text_value));
        } else {
            PutU8(xls::kEmpty);
        }
    }
}
} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        Finish("usage: movrnt-xls names FILE | rows FILE INDEX");
    const void* handle = nullptr;
    if (const int rc = freexl_open(argv[2], &handle); rc != FREEXL_OK) {
        const std::string error = "freexl " + std::to_string(rc);
        Finish(error.c_str());
    }
    const std::string what = argv[1];
    if (what == "names") {
        unsigned int count = 0;
        freexl_get_info(handle, FREEXL_BIFF_SHEET_COUNT, &count);
        for (unsigned int i = 0; i < count && i < 65535; ++i) {
            const char* name = nullptr;
            if (freexl_get_worksheet_name(handle, (unsigned short)(i), &name) != FREEXL_OK || !name)
                name = "";
            PutU8(xls::kSheetName);
            PutText(name, std::strlen(name));
        }
        Finish();
    }
    if (what != "rows" || argc < 4)
        Finish("usage: movrnt-xls names FILE | rows FILE INDEX");
    const long index = std::strtol(argv[3], nullptr, 10);
    unsigned int rows = 0;
    unsigned short columns = 0;
    if (index < 0 || index > 65535 ||
        freexl_select_active_worksheet(handle, (unsigned short)(index)) != FREEXL_OK ||
        freexl_worksheet_dimensions(handle, &rows, &columns) != FREEXL_OK)
        Finish("sheet");
    for (unsigned int r = 0; r < rows; ++r) {
        // The row is written only up to its last cell that holds something.
        unsigned short used = 0;
        FreeXL_CellValue value{};
        for (unsigned short c = 0; c < columns; ++c) {
            if (freexl_get_cell_value(handle, r, c, &value) != FREEXL_OK) {
                const std::string error = "cell " + std::to_string(r + 1);
                Finish(error.c_str());
            }
            if (Holds(value))
                used = c + 1;
        }
        if (used == 0)
            continue;
        PutU8(xls::kRow);
        PutNumber(int64_t(r) + 1);
        PutNumber(uint32_t(used));
        for (unsigned short c = 0; c < used; ++c) {
            freexl_get_cell_value(handle, r, c, &value);
            PutCell(value);
        }
    }
    freexl_close(handle);
    Finish();
}
