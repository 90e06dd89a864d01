#include "support/TestFonts.h"

#include "platform/headless/HeadlessPlatform.h"

// The font engine is wired in here once it exists; until then tests that draw text cannot run.
void InstallTestFonts(CHeadlessPlatform&) {}
