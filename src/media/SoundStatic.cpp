#include "media/SoundStatic.h"

#include <algorithm>

#include "resources/WaveSource.h"
#include "shell/System.h"

CStaticSound::~CStaticSound() {
    Release();
}

void CStaticSound::Create(CPlatformAudio& device, CSoundSource& source) {
    SetDescription(source);
    CreateBuffer(device);
    Fill(source);
}

void CStaticSound::Release() {
    ReleaseBuffer();
}

void CStaticSound::SetDescription(CSoundSource& source) {
    m_Desc.flags = kAudioCtrlVolume | kAudioStatic | kAudioSoftware;  // 0x8A
    m_Desc.bytes = source.GetDataSize();
    m_Desc.format = source.GetFormat();
    m_DurationMs = source.GetDurationMs();
}

void CStaticSound::CreateBuffer(CPlatformAudio& device) {
    ReleaseBuffer();
    m_Buffer = device.CreateBuffer(m_Desc);
    if (!m_Buffer) FatalError("サウンドバッファの作成失敗", "エラー");
}

void CStaticSound::ReleaseBuffer() {
    m_Buffer.reset();
}

void CStaticSound::Fill(CSoundSource& source) {
    if (!m_Buffer || !source.GetData()) return;
    const uint32_t bytes = std::min(m_Buffer->Size(), source.GetDataSize());
    if (m_Buffer->Write(0, source.GetData(), bytes) == EAudioWrite::Lost && m_Buffer->Restore()) {
        m_Buffer->Write(0, source.GetData(), bytes);
    }
}

void CStaticSound::Play(bool loop) {
    if (!m_Buffer) return;
    m_Buffer->SetPosition(0);
    m_Buffer->Play(loop);
}

void CStaticSound::Resume(bool loop) {
    if (m_Buffer) m_Buffer->Play(loop);
}

void CStaticSound::Stop() {
    if (!m_Buffer) return;
    m_Buffer->SetVolume(kAudioVolumeMin);
    m_Buffer->Stop();
}

void CStaticSound::SetVolume(int32_t volume) {
    if (m_Buffer) m_Buffer->SetVolume(volume);
}
