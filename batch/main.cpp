#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "batch/batch_clean.h"
#include "batch/stop_signals.h"
#include "tools/curl_link_check.h"

int main(int argc, char** argv) {
  pelloran::CatchStopSignals();
  const std::vector<std::string> args(argv + 1, argv + argc);
  pelloran::CurlLinkCheck link_check;
  const pelloran::Terminals terminals{::isatty(1) == 1, ::isatty(2) == 1};
  return pelloran::RunBatchClean(args, link_check, std::cout, std::cerr, terminals);
}
