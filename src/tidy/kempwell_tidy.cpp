// kempwell-tidy: the tidy run without a window, on one or more documents.
// It needs none of the window's libraries, so it starts quickly.
#include <iostream>
#include <string>
#include <vector>

#include "common/stop_signals.h"
#include "tidy/headless_tidy.h"

int main(int argc, char** argv) {
  // Each run stops its child and removes its working files before the program ends.
  kw::CatchStopSignals();
  const int status =
      kw::RunHeadlessTidy("kempwell-tidy", std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
  if (kw::CaughtStopSignal() != 0) kw::EndByCaughtSignal();
  return status;
}
