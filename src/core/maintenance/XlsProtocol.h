#pragma once

// What the helper movrnt-xls writes on its standard output for the program
// (the helper's own source and the program's reader both follow this; no Qt
// here, the helper is plain C++):
//
//   movrnt-xls names FILE        the sheet names
//   movrnt-xls rows FILE INDEX   the cells of one sheet
//
// Records, in the machine's byte order, texts length-prefixed:
//   kSheetName u32 n, n bytes UTF-8                   a sheet name
//   kRow i64 row (from 1), u32 cells, cells...        a row that holds a cell
//      cell: u8 CellKind, then text and date: u32 n, n bytes;
//            number: 8 bytes IEEE double
//   kError u32 n, n bytes                             what went wrong (exit 2)
//   kDone                                             all written (exit 0)
namespace xls {
constexpr char kSheetName = 'N';
constexpr char kRow = 'R';
constexpr char kError = 'E';
constexpr char kDone = 'D';
enum CellKind : unsigned char { kEmpty = 0, kText = 1, kNumber = 2, kDate = 3 };
} // namespace xls
