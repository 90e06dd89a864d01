#pragma once
// The services a headless run gives its platform: the font engine and the audio device with its
// mixer. They live as long as this object; the platform only points at them.
#include <memory>

class CHeadlessPlatform;
class CFontEngine;
class CHeadlessAudio;

class CHeadlessServices {
  public:
    explicit CHeadlessServices(CHeadlessPlatform& platform);
    ~CHeadlessServices();
    CHeadlessServices(const CHeadlessServices&) = delete;
    CHeadlessServices& operator=(const CHeadlessServices&) = delete;

  private:
    CHeadlessPlatform& m_Platform;
    std::unique_ptr<CFontEngine> m_Fonts;
    std::unique_ptr<CHeadlessAudio> m_Audio;
};
