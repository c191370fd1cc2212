// decode: one frame given in hexadecimal, rendered as the frames list shows it.

#include <CLI/CLI.hpp>

#include <memory>

#include "brv_core/decode/decodage_trame.h"
#include "commands.h"
#include "output.h"

namespace brv::cli {

namespace {
struct DecodeArgs {
  std::vector<std::string> hex;
  bool worldfip = false;
  bool short_form = false;
  std::string padding;
  bool json = false;
};
}  // namespace

Runner add_decode_command(CLI::App& app) {
  auto args = std::make_shared<DecodeArgs>();
  auto* cmd = app.add_subcommand("decode", "Decode one frame given in hexadecimal (spaces allowed)");
  cmd->add_option("hex", args->hex, "Frame bytes from the control byte to the CRC")->required();
  cmd->add_flag("--worldfip", args->worldfip, "WorldFIP framing (default: FIP)");
  cmd->add_flag("--short", args->short_form, "Short rendering (259 characters at most)");
  cmd->add_option("--padding", args->padding, "Show ID_DAT of this hexadecimal identifier as padding");
  cmd->add_flag("--json", args->json, "Write one JSON object");

  return [args]() -> int {
    std::string joined;
    for (const auto& h : args->hex) joined += h;
    std::string bytes;
    if (!parse_hex_bytes(joined, bytes)) return fail("Invalid hexadecimal frame.", joined);
    if (bytes.size() > 0xFFFF) return fail("Frame too long to decode.");
    uint16_t padding_id = 0;
    if (!args->padding.empty() && !parse_hex_u16(args->padding, padding_id)) {
      return fail("Invalid padding identifier.", args->padding);
    }

    DescriptionCapture capture;
    capture.bTramesTypeFip = args->worldfip ? 0 : 1;
    CDecodageTrame decoder(capture);
    decoder.DefinitBourrage(!args->padding.empty(), padding_id);

    std::string text;
    std::string annotation;
    const ErreurTrame result =
        decoder.DecodeTrame(static_cast<uint16_t>(bytes.size()), reinterpret_cast<const uint8_t*>(bytes.data()), &text,
                            args->short_form, annotation);

    std::string out;
    if (args->json) {
      out = "{\"result\": " + std::to_string(static_cast<int>(result)) + ", \"name\": ";
      append_json_string(out, NomErreurTrame(result));
      out += ", \"text\": ";
      append_json_string(out, text);
      out += ", \"annotation\": ";
      append_json_string(out, annotation);
      out += "}\n";
    } else {
      out = text + "\n";
      if (!annotation.empty()) out += annotation + "\n";
    }
    emit(out);
    return 0;
  };
}

}  // namespace brv::cli
