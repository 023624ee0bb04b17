// eval: the energy-model measurements from the command line.
#include <cstdio>

#include "harness/harness.h"
#include "tools/commands.h"

int cmdEval(ToolArgs in) {
  std::vector<std::string> args(in.begin(), in.end());
  if (!toolTakeDbOption(args)) return 2;
  const std::string what = args.empty() ? "consistency" : args[0];
  if (args.size() > 1 || (what != "consistency" && what != "movies" && what != "words")) {
    std::fputs("usage: lumaroll-tool eval [consistency|movies|words] [--db PATH]\n", stderr);
    return 2;
  }
  if (!toolLoadLibrary()) return 1;
  const HarnessPrint print = [](std::string_view line) {
    std::printf("%.*s\n", static_cast<int>(line.size()), line.data());
  };
  if (what == "consistency") {
    measureHPEError(print);
  } else if (what == "movies") {
    countMovies(print);
    measureMovieEnergyAverage(print);
    std::printf("report: %s\n", movieReportPath().c_str());
  } else {
    measureWordEnergy(print);
    printWordHPE();
    std::printf("report: %s\n", wordReportPath().c_str());
  }
  return 0;
}
