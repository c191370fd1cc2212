#pragma once
// A configuration file edited in place: read whole and clean, changed in memory, written back
// whole in the form it had, or left as it was.

#include <string>

#include "brv_core/config/configuration.h"

namespace brv::cli {

struct ConfigEditee {
  std::string chemin;
  Configuration config;
  // The form without definition identifiers, written once a capture was opened.
  bool apresCapture = false;
};

// 0 once f holds the file's configuration and form, or the exit status after saying why the file
// was refused. apresCapture settles the form only when the file reads exactly in both.
int charge_config(const std::string& chemin, bool apresCapture, ConfigEditee& f);

// Writes f.config over the file through a temporary renamed into place; 0 or the exit status.
int enregistre_config(const ConfigEditee& f);

}  // namespace brv::cli
