#pragma once

#include <string>
#include <vector>

#include "interfaces/shell_routines.h"

namespace pelloran::testing {

// Remembers every request exactly as it was handed over.
class RecordingShell : public ShellRoutines {
 public:
  struct Request {
    std::string routine, verb_or_program, path_or_parameters, folder;
    ShowMode show = ShowMode::kNormal;
  };

  void ShellOpenDocument(const std::string& verb, const std::string& path) override {
    requests.push_back({"ShellOpenDocument", verb, path, "", ShowMode::kNormal});
  }
  bool LaunchProgram(const std::string& program, const std::string& parameters,
                     const std::string& folder, ShowMode show) override {
    requests.push_back({"LaunchProgram", program, parameters, folder, show});
    return programs_start;
  }

  std::vector<Request> requests;
  bool programs_start = true;  // what LaunchProgram answers
};

}  // namespace pelloran::testing
