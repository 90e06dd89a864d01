#include "support/TestFonts.h"

#include "platform/fonts/Fonts.h"
#include "platform/headless/HeadlessPlatform.h"

void InstallTestFonts(CHeadlessPlatform& platform) {
    // One engine for the whole test program: opening faces is the costly part, and the engine keeps
    // nothing between requests that a test could see.
    static CFontEngine engine;
    platform.SetFonts(&engine);
}
