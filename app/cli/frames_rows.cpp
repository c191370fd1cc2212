#include "frames_rows.h"

#include <algorithm>
#include <charconv>
#include <string_view>

#include "output.h"

namespace brv::cli {

namespace {

template <typename Entier>
void append_number(std::string& out, Entier v) {
  char text[24];
  out.append(text, std::to_chars(text, text + sizeof text, v).ptr);
}

// RFC 4180: quoted when it holds a comma, a quote or a line break; quotes doubled.
void append_csv(std::string& out, std::string_view s) {
  const auto special = [](char c) { return c == ',' || c == '"' || c == '\r' || c == '\n'; };
  if (std::none_of(s.begin(), s.end(), special)) {
    out.append(s);
    return;
  }
  out.push_back('"');
  for (char c : s) {
    if (c == '"') out.push_back('"');
    out.push_back(c);
  }
  out.push_back('"');
}

std::string_view flag(bool on, std::string_view yes, std::string_view no) { return on ? yes : no; }

void append_text(std::string& out, const LIGNE_TRAME& l) {
  append_number(out, l.iLigne);
  out.push_back('\t');
  out.append(TexteMarque(l.ulMarque));
  out.push_back('\t');
  out.append(l.dateRel);
  out.push_back('\t');
  out.append(l.interTrame);
  out.append(flag(l.bInterruptionTrafic, "\tX\t", "\t\t"));
  out.append(flag(l.bVoie2, "2\t", "1\t"));
  out.append(flag(l.bErrTx1, "X\t", "\t"));
  out.append(flag(l.bErrTx2, "X\t", "\t"));
  out.append(l.texte);
  if (!l.annotation.empty()) {
    out.push_back('\t');
    out.append(l.annotation);
  }
  out.push_back('\n');
}

void append_csv_row(std::string& out, const LIGNE_TRAME& l) {
  append_number(out, l.iLigne);
  out.push_back(',');
  append_number(out, l.ullPosFichier);
  out.push_back(',');
  append_number(out, l.ullDate);
  out.append(flag(l.bDateZero != 0, ",1,", ",0,"));
  append_csv(out, TexteMarque(l.ulMarque));
  for (const std::string* s : {&l.dateAbs, &l.dateRel, &l.interTrame}) {
    out.push_back(',');
    append_csv(out, *s);
  }
  out.append(flag(l.bInterruptionTrafic, ",X,", ",,"));
  out.append(flag(l.bVoie2, "2,", "1,"));
  out.append(flag(l.bErrTx1, "X,", ","));
  out.append(flag(l.bErrTx2, "X,", ","));
  append_csv(out, l.texte);
  out.push_back(',');
  append_csv(out, l.annotation);
  out.append("\r\n");
}

void append_json_row(std::string& out, const LIGNE_TRAME& l) {
  out.append("{\"row\": ");
  append_number(out, l.iLigne);
  out.append(", \"offset\": ");
  append_number(out, l.ullPosFichier);
  out.append(", \"date\": ");
  append_number(out, l.ullDate);
  out.append(flag(l.bDateZero != 0, ", \"date0\": true, \"mark\": ", ", \"date0\": false, \"mark\": "));
  append_number(out, l.ulMarque);
  out.append(", \"absdate\": ");
  append_json_string(out, l.dateAbs);
  out.append(", \"reldate\": ");
  append_json_string(out, l.dateRel);
  out.append(", \"interframe\": ");
  append_json_string(out, l.interTrame);
  out.append(flag(l.bInterruptionTrafic, ", \"traffic\": true", ", \"traffic\": false"));
  out.append(flag(l.bVoie2, ", \"channel\": 2", ", \"channel\": 1"));
  out.append(flag(l.bErrTx1, ", \"txerr1\": true", ", \"txerr1\": false"));
  out.append(flag(l.bErrTx2, ", \"txerr2\": true, \"text\": ", ", \"txerr2\": false, \"text\": "));
  append_json_string(out, l.texte);
  out.append(", \"annotation\": ");
  append_json_string(out, l.annotation);
  out.append("}\n");
}

}  // namespace

void append_frame_row(std::string& out, const LIGNE_TRAME& l, RowFormat format) {
  switch (format) {
    case RowFormat::Text: append_text(out, l); break;
    case RowFormat::Csv: append_csv_row(out, l); break;
    case RowFormat::Json: append_json_row(out, l); break;
  }
}

}  // namespace brv::cli
