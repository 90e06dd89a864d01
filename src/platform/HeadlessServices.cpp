#include "platform/HeadlessServices.h"

#include "platform/fonts/Fonts.h"
#include "platform/headless/HeadlessPlatform.h"

CHeadlessServices::CHeadlessServices(CHeadlessPlatform& platform)
    : m_Platform(platform), m_Fonts(std::make_unique<CFontEngine>()) {
    m_Platform.SetFonts(m_Fonts.get());
}

CHeadlessServices::~CHeadlessServices() {
    m_Platform.SetAudio(nullptr);
    m_Platform.SetFonts(nullptr);
}
