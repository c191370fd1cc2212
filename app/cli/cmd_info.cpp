// info: the header of a capture, its layout, its zones and its record count.

#include <CLI/CLI.hpp>

#include <memory>

#include "brv_core/decode/decodage_trame.h"
#include "brv_core/file/capture_info.h"
#include "brv_core/file/record_cursor.h"
#include "brv_core/document/brenvale_doc.h"
#include "brv_core/document/results_fields.h"
#include "capture_open.h"
#include "cli_reporter.h"
#include "fields_output.h"
#include "commands.h"
#include "output.h"

namespace brv::cli {

namespace {

struct InfoArgs {
  std::string path;
  bool json = false;
};

struct Field {
  const char* name;
  uint64_t value;
  std::string meaning;
};

std::string or_unknown(const char* name) { return name ? name : "unknown"; }

}  // namespace

Runner add_info_command(CLI::App& app) {
  auto args = std::make_shared<InfoArgs>();
  auto* cmd = app.add_subcommand("info", "Describe an acquisition file: header, layout, zones, records");
  cmd->add_option("file", args->path, "Acquisition file (.dat)")->required();
  cmd->add_flag("--json", args->json, "Write one JSON object");

  return [args]() -> int {
    AcqFile file;
    if (const int status = open_capture(args->path, file)) return status;
    const auto& h = file.header();

    const DescriptionCapture capture = capture_description(h);
    const CDecodageTrame decoder(capture);
    std::string start;
    decoder.FormateDateAbs(0, false, start);

    const std::vector<Field> fields{
        {"ulFormatEntete", h.ulFormatEntete, ""},
        {"enEtatAcq", h.enEtatAcq, or_unknown(vandrel::nom_etat_acq(h.enEtatAcq))},
        {"enTypeBoitier", h.enTypeBoitier, or_unknown(vandrel::nom_type_boitier(h.enTypeBoitier))},
        {"enVitesse", h.enVitesse, or_unknown(vandrel::nom_vitesse(h.enVitesse))},
        {"bTramesTypeFip", h.bTramesTypeFip, h.bTramesTypeFip ? "FIP frames" : "WorldFIP frames"},
        {"uliDateDetect", h.uliDateDetect, start},
        {"ullPosZonePostTrig", h.ullPosZonePostTrig, ""},
        {"ullLgZonePostTrig", h.ullLgZonePostTrig, ""},
        {"ullDateTrig", h.ullDateTrig, ""},
        {"ullPosZonePreTrig", h.ullPosZonePreTrig, ""},
        {"ullPosTournantDebut", h.ullPosTournantDebut, ""},
        {"ullPosTournantFin", h.ullPosTournantFin, ""},
        {"ulLgBlocTournant", h.ulLgBlocTournant, ""},
    };

    // Count the records; a bad one ends the count and the command fails after reporting.
    uint64_t count = 0;
    RecordCursor cursor(file);
    FrameRecord rec;
    WalkStatus st;
    while ((st = cursor.next(rec)) == WalkStatus::Record) ++count;
    const bool invalid = st == WalkStatus::Invalid;

    // The program's view of the file: its stored configuration, results and description.
    CliReporter reporter;
    CBrenvaleDoc doc(reporter);
    const bool opened = doc.OuvrirAcquisition(args->path);
    const bool has_config = opened && doc.ConfigPartBOffset != 0;
    std::vector<ChampConfiguration> summary;
    for (auto& c : ChampsConfiguration(doc.Config, false)) {
      if (c.nom.find('[') == std::string::npos) summary.push_back(std::move(c));
    }

    std::string out;
    if (args->json) {
      out = "{\"file\": ";
      append_json_string(out, args->path);
      out += ", \"size\": " + std::to_string(file.file_size()) + ", \"header\": {";
      for (size_t i = 0; i < fields.size(); ++i) {
        if (i) out += ", ";
        out += "\"" + std::string(fields[i].name) + "\": " + std::to_string(fields[i].value);
      }
      out += "}, \"state\": ";
      append_json_string(out, fields[1].meaning);
      out += ", \"layout\": ";
      append_json_string(out, layout_name(file.layout()));
      out += ", \"interrupted\": " + std::string(file.interrupted() ? "true" : "false");
      out += ", \"truncated\": " + std::string(file.truncated() ? "true" : "false");
      out += ", \"zones\": [";
      for (size_t z = 0; z < file.zones().size(); ++z) {
        const auto& zone = file.zones()[z];
        if (z) out += ", ";
        out += "{\"name\": ";
        append_json_string(out, zone.name);
        out += ", \"length\": " + std::to_string(zone.length()) + ", \"segments\": [";
        for (size_t s = 0; s < zone.segments.size(); ++s) {
          if (s) out += ", ";
          out += "{\"offset\": " + std::to_string(zone.segments[s].offset) +
                 ", \"length\": " + std::to_string(zone.segments[s].length) + "}";
        }
        out += "]}";
      }
      out += "], \"records\": " + std::to_string(count);
      if (invalid) {
        out += ", \"error\": ";
        append_json_string(out, cursor.invalid_message());
      }
      out += ", \"description\": [";
      for (size_t i = 0; i < reporter.lignes.size(); ++i) {
        if (i) out += ", ";
        append_json_string(out, reporter.lignes[i]);
      }
      out += "], \"warnings\": [";
      for (size_t i = 0; i < reporter.avertissements.size(); ++i) {
        if (i) out += ", ";
        append_json_string(out, reporter.avertissements[i]);
      }
      out += "], \"configuration\": " + (has_config ? fields_json(summary) : std::string("null"));
      out += ", \"results\": " + (has_config ? fields_json(ChampsResultats(doc.Resultats)) : std::string("null"));
      out += "}\n";
    } else {
      out = "file: " + args->path + "\nsize: " + std::to_string(file.file_size()) + " bytes\n";
      for (const auto& f : fields) {
        out += std::string(f.name) + ": " + std::to_string(f.value);
        if (!f.meaning.empty()) out += " (" + f.meaning + ")";
        out += "\n";
      }
      out += "layout: " + std::string(layout_name(file.layout())) + "\n";
      for (const auto& zone : file.zones()) {
        out += "zone " + std::string(zone.name) + ": " + std::to_string(zone.length()) + " bytes";
        for (const auto& s : zone.segments) {
          out += ", offset " + std::to_string(s.offset) + " length " + std::to_string(s.length);
        }
        out += "\n";
      }
      out += "records: " + std::to_string(count) + "\n";
      out += "description:\n";
      for (const auto& l : reporter.lignes) out += "  " + l + "\n";
      if (has_config) {
        out += "configuration:\n" + fields_text(summary, "  ");
        out += "results:\n" + fields_text(ChampsResultats(doc.Resultats), "  ");
      } else {
        out += "configuration: none\n";
      }
    }
    emit(out);
    for (const auto& w : reporter.avertissements) fail(w);
    if (file.interrupted()) fail(kInterruptedText);
    if (file.truncated()) fail(kTruncatedText);
    if (invalid) return fail(cursor.invalid_message());
    return 0;
  };
}

}  // namespace brv::cli
