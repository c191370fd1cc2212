// cards: the probe cards present (FTDI devices described "Brenvale USB"), or every FTDI device.

#include <CLI/CLI.hpp>

#include <kestrin/usb_ftd2xx_com.h>

#include <cstdio>
#include <memory>

#include "commands.h"
#include "output.h"

namespace brv::cli {

namespace {

constexpr const char* kCardDescription = "Brenvale USB";

struct CardsArgs {
  bool all = false;
  bool json = false;
};

std::string hex32(uint32_t v) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", v);
  return text;
}

}  // namespace

Runner add_cards_command(CLI::App& app) {
  auto args = std::make_shared<CardsArgs>();
  auto* cmd = app.add_subcommand("cards", "List the probe cards: list position, serial number, location, in use");
  cmd->add_flag("--all", args->all, "List every FTDI device, not only probe cards");
  cmd->add_flag("--json", args->json, "Write one JSON object");

  return [args]() -> int {
    const auto devices = args->all ? CUsbFtd2xxCom::get_all_com_info_list()
                                   : CUsbFtd2xxCom::get_com_info_by_name(kCardDescription);
    std::string out;
    if (args->json) {
      out = "{\"devices\": [";
      for (size_t i = 0; i < devices.size(); ++i) {
        const auto& d = *devices[i];
        if (i) out += ", ";
        out += "{\"index\": " + std::to_string(d.m_index) + ", \"serial\": ";
        append_json_string(out, d.m_serial_number);
        out += ", \"description\": ";
        append_json_string(out, d.m_name);
        out += ", \"location\": " + std::to_string(d.m_loc_id) + ", \"id\": " + std::to_string(d.m_id) +
               ", \"type\": " + std::to_string(d.m_type) + ", \"flags\": " + std::to_string(d.m_flags) +
               ", \"in_use\": " + (d.m_in_use ? "true" : "false") + "}";
      }
      out += "]}\n";
    } else if (devices.empty()) {
      out = args->all ? "No FTDI device present.\n" : "No probe card present.\n";
    } else {
      for (const auto& d : devices) {
        out += "index " + std::to_string(d->m_index) + ": serial " +
               (d->m_serial_number.empty() ? "(none)" : d->m_serial_number) + ", location " + hex32(d->m_loc_id);
        if (args->all) out += ", description \"" + d->m_name + "\", id " + hex32(d->m_id);
        out += d->m_in_use ? ", in use by another program\n" : ", free\n";
      }
    }
    emit(out);
    return 0;
  };
}

}  // namespace brv::cli
