#pragma once
// Loads a user data file for a command, with the file's own words on failure.

#include <string>
#include <vector>

#include "brv_core/userdata/user_data.h"

namespace brv::cli {

// 0 with the entries in list, or the exit status after printing why the file was refused.
int load_user_data(const std::string& path, std::vector<DONNEE_UTILISATEUR>& list);

}  // namespace brv::cli
