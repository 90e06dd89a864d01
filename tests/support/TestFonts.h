#pragma once
class CHeadlessPlatform;
// Gives the headless platform the font engine (shared per test program: faces are costly to open).
void InstallTestFonts(CHeadlessPlatform& platform);
