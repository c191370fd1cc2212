#pragma once
// UNI-TE request codes and their names, for the list annotation and the frame detail report.

#include <array>
#include <cstdint>
#include <string_view>

namespace brv {

struct RequeteUniTe {
  uint8_t ucCode;
  std::string_view nom;
};

// Searched in this order; the first match wins.
inline constexpr std::array<RequeteUniTe, 40> kRequetesUniTe = {{
    {0x0F, "IDENTIFICATION"},           {0x44, "READ_STATUS_MODULE"},
    {0x4F, "READ_CPU"},                 {0x43, "READ_IO_CHANNEL"},
    {0x30, "PROTOCOL_VERSION"},         {0x48, "WRITE_IO_CHANNEL"},
    {0xFA, "MIRROR"},                   {0x82, "READ_GENERIC_OBJECT"},
    {0x00, "READ_INTERNAL_BIT"},        {0x83, "WRITE_GENERIC_OBJECT"},
    {0x10, "WRITE_INTERNAL_BIT"},       {0x36, "READ_OBJECT"},
    {0x01, "READ_SYSTEM_BIT"},          {0x37, "WRITE_OBJECT"},
    {0x11, "WRITE_SYSTEM_BIT"},         {0x9F, "ACTION_GENERIC_OBJECT"},
    {0x04, "READ_INTERNAL_WORD"},       {0x38, "READ_OBJECT_LIST"},
    {0x14, "WRITE_INTERNAL_WORD"},      {0x39, "WRITE_OBJECT_LIST"},
    {0x06, "READ_SYSTEM_WORD"},         {0x24, "RUN"},
    {0x15, "WRITE_SYSTEM_WORD"},        {0x25, "STOP"},
    {0x05, "READ_CONSTANT_WORD"},       {0x33, "INIT"},
    {0x1B, "FORCE_INTERNAL_BIT"},       {0x3A, "OPEN_DOWNLOAD"},
    {0x2A, "READ_GRAFCET_BIT"},         {0x3B, "WRITE_DOWNLOAD"},
    {0x49, "READ_DIGITAL_MODULE_IMAGE"}, {0x3C, "CLOSE_DOWNLOAD"},
    {0x4A, "WRITE_DIGITAL_MODULE_IMAGE"}, {0x3D, "OPEN_UPLOAD"},
    {0x3E, "READ_UPLOAD"},              {0x3F, "CLOSE_UPLOAD"},
    {0x45, "BACKUP"},                   {0x1D, "RESERVE"},
    {0x1E, "RELEASE"},                  {0x2D, "I_AM_ALIVE"},
}};

// A report answers request code c with c + 30H, or with one of these.
inline constexpr uint8_t kUniTeCompteRenduSucces = 0xFE;
inline constexpr uint8_t kUniTeCompteRenduEchec = 0xFD;
inline constexpr uint8_t kUniTeCompteRenduMiroir = 0xFB;
inline constexpr int kUniTeDecalageCompteRendu = 0x30;

// Name of a request code; empty when the table has none.
std::string_view NomRequeteUniTe(uint8_t code) noexcept;

// Name of a report code: "Success", "Failure", the request whose code + 30H it is, and "MIRROR"
// for FBH only when avecMiroir (the detail report names it, the list annotation does not);
// empty otherwise.
std::string_view NomCompteRenduUniTe(uint8_t code, bool avecMiroir = false) noexcept;

}  // namespace brv
