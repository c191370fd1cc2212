#pragma once
// Descriptions of communication endpoints, used to list and choose cards.

#include <cstdint>
#include <string>

class CComInfo {
 public:
  CComInfo() = default;
  CComInfo(const CComInfo&) = default;
  CComInfo& operator=(const CComInfo&) = default;
  virtual ~CComInfo() = default;

  std::string m_serial_number;
  // USB description string: what get_com_info_by_name compares.
  std::string m_name;
  // Position in the device list at enumeration: what open_by_index and CKestrin::connect take.
  uint32_t m_index = 0;
  // The device could not be opened at enumeration (another program holds it).
  bool m_in_use = false;
};

class CUsbComInfo : public CComInfo {
 public:
  CUsbComInfo() = default;
  CUsbComInfo(const CUsbComInfo&) = default;
  CUsbComInfo& operator=(const CUsbComInfo&) = default;

  uint32_t m_flags = 0;
  uint32_t m_type = 0;
  // Vendor id in the high 16 bits, product id in the low 16 bits.
  uint32_t m_id = 0;
  uint32_t m_loc_id = 0;
};
