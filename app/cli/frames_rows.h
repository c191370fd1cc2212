#pragma once
// The rows of the frames list as `frames` writes them: tab-separated text, CSV (RFC 4180) or
// JSON Lines. Appended to a buffer that is reused from row to row.

#include <string>

#include "brv_core/document/row_reader.h"

namespace brv::cli {

enum class RowFormat { Text, Csv, Json };

// The CSV header line (the other formats have none).
inline constexpr const char* kCsvHeader =
    "row,offset,date,date0,mark,absdate,reldate,interframe,traffic,channel,txerr1,txerr2,text,annotation\r\n";

void append_frame_row(std::string& out, const LIGNE_TRAME& l, RowFormat format);

}  // namespace brv::cli
