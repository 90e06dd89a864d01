#include "platform/HeadlessServices.h"

#include "platform/headless/HeadlessPlatform.h"

CHeadlessServices::CHeadlessServices(CHeadlessPlatform& platform) : m_Platform(platform) {}

CHeadlessServices::~CHeadlessServices() {
    m_Platform.SetAudio(nullptr);
    m_Platform.SetFonts(nullptr);
}
