#include "media/SoundDevice.h"

#include "media/SoundStatic.h"
#include "media/SoundStream.h"
#include "shell/System.h"

CSoundDevice::CSoundDevice(bool highQuality) : m_HighQuality(highQuality) {
    m_Audio = CSystem::Platform().Audio();
    if (!m_Audio) {
        MessageBoxU8("サウンドドライバの取得に失敗しました。\n今後、音声はでません。", "エラー");
        return;
    }
    if (m_HighQuality) {
        if (!m_Audio->CreatePrimary(CAudioFormat::Pcm16(2, 44100))) {
            FatalError(
                "プライマリサウンドバッファの作成に失敗しました。\nコンフィングで、サウンドの音質を "
                "22050Hzに指定してください。",
                "アプリケーションエラー");
        }
        m_Primary = true;
    }
}

CSoundDevice::~CSoundDevice() {
    if (m_Audio && m_Primary) m_Audio->ReleasePrimary();
}

std::unique_ptr<CStaticSound> CSoundDevice::CreateStatic(CSoundSource& source) {
    if (!m_Audio) return nullptr;
    auto sound = std::make_unique<CStaticSound>();
    sound->Create(*m_Audio, source);
    return sound;
}

std::unique_ptr<CStreamSound> CSoundDevice::CreateStream(const std::string& path, int kind) {
    if (!m_Audio) return nullptr;
    auto sound = std::make_unique<CStreamSound>();
    if (!sound->Create(*m_Audio, path, kind)) return nullptr;
    return sound;
}

void CSoundDevice::ReleaseStatic(std::unique_ptr<CStaticSound>& sound) {
    if (!sound) return;
    sound->Release();
    sound.reset();
}

void CSoundDevice::ReleaseStream(std::unique_ptr<CStreamSound>& sound) {
    if (!sound) return;
    sound->Release();
    sound.reset();
}
