#pragma once
// Error codes of the card link (texts in KestrinErr).

namespace kestrin {

inline constexpr unsigned long KESTRIN_OK = 0;
inline constexpr unsigned long KESTRIN_ERROR_NO_ABSTRACT_COM = 0x3F200001;
inline constexpr unsigned long KESTRIN_ERROR_NO_REPLY_READ_MEMORY = 0x3F200002;
inline constexpr unsigned long KESTRIN_ERROR_NO_REPLY_READ_BY_ID = 0x3F200003;
inline constexpr unsigned long KESTRIN_ERROR_NO_REPLY_READ_SN = 0x3F200004;
inline constexpr unsigned long KESTRIN_ERROR_NO_REPLY_READ_LAST_SW = 0x3F200005;
inline constexpr unsigned long KESTRIN_ERROR_NO_REPLY_READ_ERROR = 0x3F200006;
inline constexpr unsigned long KESTRIN_ERROR_NO_REPLY_WRITE_MEMORY = 0x3F200007;
inline constexpr unsigned long KESTRIN_ERROR_NO_REPLY_WRITE_BY_ID = 0x3F200008;
inline constexpr unsigned long KESTRIN_ERROR_NO_REPLY_RESET = 0x3F200009;
inline constexpr unsigned long KESTRIN_ERROR_NO_REPLY_SET_MODE = 0x3F20000A;
inline constexpr unsigned long KESTRIN_ERROR_NO_REPLY_GET_MODE = 0x3F20000B;
inline constexpr unsigned long KESTRIN_ERROR_WAIT_FOR_REPLY_TIMEOUT = 0x3F20000D;
inline constexpr unsigned long KESTRIN_ERROR_INCONSISTENT_FRAME = 0x3F20000E;
inline constexpr unsigned long KESTRIN_ERROR_NOT_IMPLEMENTED = 0x3F200010;
inline constexpr unsigned long KESTRIN_ERROR_WAIT_FOR_EVENT_TIMEOUT = 0x3F200011;
inline constexpr unsigned long ABCOM_ERROR_COM_CLOSED = 0x3F300001;
inline constexpr unsigned long FTD2XX_ERROR_CANNOT_READ_ALL_DATA_FROM_BUFFER = 0x3F400002;
inline constexpr unsigned long FTD2XX_ERROR_CANNOT_WRITE_ALL_DATA_TO_BUFFER = 0x3F400003;
// D2XX status n (1..19) becomes FTD2XX_STATUS_BASE + n.
inline constexpr unsigned long FTD2XX_STATUS_BASE = 0x3F40003D;

}  // namespace kestrin
