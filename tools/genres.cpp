#include <cstdio>

#include "engine/genres.h"
#include "tools/commands.h"
#include "tools/json.h"

int cmdGenres(ToolArgs args) {
  if (!args.empty()) {
    std::fputs("usage: lumaroll-tool genres\n", stderr);
    return 2;
  }
  initMP3Categories();
  for (std::int32_t i = 1; i <= gTotalGenres_L; ++i) {
    const GenreEntry& g = gGenre_A[i];
    std::printf("%d\t%d\t%s\t%s\n", i, g.number, g.genreName.c_str(), g.groupName.c_str());
  }
  return 0;
}
