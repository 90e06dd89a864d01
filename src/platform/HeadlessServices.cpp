#include "platform/HeadlessServices.h"

#include "platform/fonts/Fonts.h"
#include "platform/headless/HeadlessAudio.h"
#include "platform/headless/HeadlessPlatform.h"

CHeadlessServices::CHeadlessServices(CHeadlessPlatform& platform)
    : m_Platform(platform), m_Fonts(std::make_unique<CFontEngine>()) {
    m_Platform.SetFonts(m_Fonts.get());
    // The sound device follows the virtual clock: each frame mixes up to the clock's time.
    m_Audio = CreateHeadlessAudio(platform.Clock());
    m_Platform.SetAudio(m_Audio.get());
    CHeadlessAudio* audio = m_Audio.get();
    m_Platform.Window().onEndFrame = [audio] { audio->Pump(); };
}

CHeadlessServices::~CHeadlessServices() {
    m_Platform.Window().onEndFrame = nullptr;
    m_Platform.SetAudio(nullptr);
    m_Platform.SetFonts(nullptr);
}
