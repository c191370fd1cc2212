#pragma once
// The D2XX calls that the card transport makes, with their D2XX meaning and status numbering.
// One device list covers two backends: FTDI devices on the USB bus (libftdi1) first, then the
// virtual devices registered in this process (see virtual_device.h).

#include <cstddef>
#include <cstdint>

namespace ftd2xx {
class Event;

// Bytes the host's receive queue of one device holds at most: about five seconds of the card's
// link (1 000 000 baud, 8N1, 100 000 bytes/s). A device whose host falls further behind is held
// back: the chip stops its IN transfers and the card's own FIFO overflows.
inline constexpr size_t kRxQueueCapacity = 512 * 1024;
}

using FT_HANDLE = void*;
using FT_STATUS = unsigned long;
using DWORD = unsigned long;
using ULONG = unsigned long;
using UCHAR = unsigned char;
using USHORT = unsigned short;
using LPDWORD = DWORD*;

enum : FT_STATUS {
  FT_OK = 0,
  FT_INVALID_HANDLE = 1,
  FT_DEVICE_NOT_FOUND = 2,
  FT_DEVICE_NOT_OPENED = 3,
  FT_IO_ERROR = 4,
  FT_INSUFFICIENT_RESOURCES = 5,
  FT_INVALID_PARAMETER = 6,
  FT_INVALID_BAUD_RATE = 7,
  FT_DEVICE_NOT_OPENED_FOR_ERASE = 8,
  FT_DEVICE_NOT_OPENED_FOR_WRITE = 9,
  FT_FAILED_TO_WRITE_DEVICE = 10,
  FT_EEPROM_READ_FAILED = 11,
  FT_EEPROM_WRITE_FAILED = 12,
  FT_EEPROM_ERASE_FAILED = 13,
  FT_EEPROM_NOT_PRESENT = 14,
  FT_EEPROM_NOT_PROGRAMMED = 15,
  FT_INVALID_ARGS = 16,
  FT_NOT_SUPPORTED = 17,
  FT_OTHER_ERROR = 18,
  FT_DEVICE_LIST_NOT_READY = 19,
};

// Purge masks.
inline constexpr ULONG FT_PURGE_RX = 1;
inline constexpr ULONG FT_PURGE_TX = 2;

// Event notification mask: received character.
inline constexpr DWORD FT_EVENT_RXCHAR = 1;

// Data characteristics and flow control.
inline constexpr UCHAR FT_BITS_8 = 8;
inline constexpr UCHAR FT_BITS_7 = 7;
inline constexpr UCHAR FT_STOP_BITS_1 = 0;
inline constexpr UCHAR FT_STOP_BITS_2 = 2;
inline constexpr UCHAR FT_PARITY_NONE = 0;
inline constexpr UCHAR FT_PARITY_ODD = 1;
inline constexpr UCHAR FT_PARITY_EVEN = 2;
inline constexpr USHORT FT_FLOW_NONE = 0x0000;
inline constexpr USHORT FT_FLOW_RTS_CTS = 0x0100;
inline constexpr USHORT FT_FLOW_DTR_DSR = 0x0200;
inline constexpr USHORT FT_FLOW_XON_XOFF = 0x0400;

// Device list node flags.
inline constexpr ULONG FT_FLAGS_OPENED = 1;
inline constexpr ULONG FT_FLAGS_HISPEED = 2;

// Device types of the list nodes.
enum : ULONG {
  FT_DEVICE_BM = 0,
  FT_DEVICE_AM = 1,
  FT_DEVICE_100AX = 2,
  FT_DEVICE_UNKNOWN = 3,
  FT_DEVICE_2232C = 4,
  FT_DEVICE_232R = 5,
  FT_DEVICE_2232H = 6,
  FT_DEVICE_4232H = 7,
  FT_DEVICE_232H = 8,
  FT_DEVICE_X_SERIES = 9,
};

struct FT_DEVICE_LIST_INFO_NODE {
  ULONG Flags = 0;
  ULONG Type = FT_DEVICE_UNKNOWN;
  ULONG ID = 0;
  DWORD LocId = 0;
  char SerialNumber[16] = {};
  char Description[64] = {};
  FT_HANDLE ftHandle = nullptr;
};

// Builds the device list (real devices, then virtual ones) and gives its length.
FT_STATUS FT_CreateDeviceInfoList(LPDWORD lpdwNumDevs);
// Copies the list built by the last FT_CreateDeviceInfoList; *lpdwNumDevs is the room in pDest
// on entry and the number of nodes on return.
FT_STATUS FT_GetDeviceInfoList(FT_DEVICE_LIST_INFO_NODE* pDest, LPDWORD lpdwNumDevs);

// Opens the device at that position of a fresh device list.
FT_STATUS FT_Open(int deviceNumber, FT_HANDLE* pHandle);
FT_STATUS FT_Close(FT_HANDLE ftHandle);
FT_STATUS FT_ResetDevice(FT_HANDLE ftHandle);
FT_STATUS FT_Purge(FT_HANDLE ftHandle, ULONG mask);
FT_STATUS FT_SetUSBParameters(FT_HANDLE ftHandle, ULONG inTransferSize, ULONG outTransferSize);
FT_STATUS FT_SetBaudRate(FT_HANDLE ftHandle, ULONG baudRate);
FT_STATUS FT_SetTimeouts(FT_HANDLE ftHandle, ULONG readTimeout, ULONG writeTimeout);
FT_STATUS FT_SetDataCharacteristics(FT_HANDLE ftHandle, UCHAR wordLength, UCHAR stopBits, UCHAR parity);
FT_STATUS FT_SetFlowControl(FT_HANDLE ftHandle, USHORT flowControl, UCHAR xonChar, UCHAR xoffChar);
FT_STATUS FT_SetLatencyTimer(FT_HANDLE ftHandle, UCHAR latency);
FT_STATUS FT_SetResetPipeRetryCount(FT_HANDLE ftHandle, DWORD count);
// Registers the event to set when the mask's conditions occur; a null event or mask 0 removes it.
// The event must stay alive until it is removed or the handle is closed.
FT_STATUS FT_SetEventNotification(FT_HANDLE ftHandle, DWORD mask, ftd2xx::Event* event);
FT_STATUS FT_GetQueueStatus(FT_HANDLE ftHandle, LPDWORD lpdwAmountInRxQueue);
FT_STATUS FT_Read(FT_HANDLE ftHandle, void* lpBuffer, DWORD dwBytesToRead, LPDWORD lpdwBytesReturned);
FT_STATUS FT_Write(FT_HANDLE ftHandle, const void* lpBuffer, DWORD dwBytesToWrite, LPDWORD lpdwBytesWritten);

namespace ftd2xx {

inline constexpr DWORD kWaitObject0 = 0;
inline constexpr DWORD kWaitTimeout = 0x102;

// Auto-reset event: a wait that sees it signalled clears it.
class Event {
 public:
  Event();
  ~Event();
  Event(const Event&) = delete;
  Event& operator=(const Event&) = delete;

  void set();
  // kWaitObject0 when signalled within the time, kWaitTimeout otherwise.
  DWORD wait(DWORD milliseconds);

 private:
  struct State;
  State* state_;
};

}  // namespace ftd2xx
