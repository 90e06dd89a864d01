#include "media/SoundStream.h"

#include <algorithm>
#include <cstring>

#include "resources/OggSource.h"
#include "resources/WaveSource.h"
#include "shell/System.h"

CStreamSound::CStreamSound() = default;

CStreamSound::~CStreamSound() {
    Release();
}

bool CStreamSound::Create(CPlatformAudio& device, const std::string& path, int kind) {
    Release();
    std::unique_ptr<CSoundSource> source;
    bool opened = false;
    if (kind == kWave) {
        source = std::make_unique<CWaveSource>();
        opened = source->Load(path);
    } else {
        source = std::make_unique<COggSource>();
        opened = source->OpenStream(path);
    }
    if (!opened) return false;
    m_Source = std::move(source);
    SetDescription();
    CreateBuffer(device);
    return true;
}

void CStreamSound::SetDescription() {
    m_Desc.flags = kAudioCtrlVolume | kAudioSoftware | kAudioCtrlPositionNotify;  // 0x188
    const uint64_t bytes = 2ull * m_Source->GetFormat().avgBytesPerSec;           // two seconds
    m_Desc.bytes = bytes > 0x7FFFFFFF ? 0 : static_cast<uint32_t>(bytes);         // 0 is refused
    m_Desc.format = m_Source->GetFormat();
    m_DurationMs = m_Source->GetDurationMs();
}

void CStreamSound::CreateBuffer(CPlatformAudio& device) {
    ReleaseBuffer();
    m_Device = &device;
    m_Buffer = device.CreateBuffer(m_Desc);
    if (!m_Buffer) FatalError("サウンドバッファの作成失敗", "エラー");
    m_Events = std::make_shared<CAudioEvents>(5);
    const uint32_t b = m_Desc.bytes;
    const std::vector<CAudioNotify> notes = {
        {0, 0}, {b / 4, 1}, {b / 2, 2}, {3 * (b / 4), 3}, {kAudioOffsetStop, kStopEvent}};
    if (!m_Buffer->SetNotifications(m_Events, notes))
        FatalError("サウンド通知の指定に失敗しました", "エラー");
}

void CStreamSound::ReleaseBuffer() {
    m_Buffer.reset();
    m_Events.reset();
}

void CStreamSound::Release() {
    if (m_Buffer) m_Buffer->Stop();
    EndThread();
    ReleaseBuffer();
    if (m_Source) m_Source->Close();
    m_Source.reset();
}

void CStreamSound::EndThread() {
    if (!m_Thread.joinable()) return;
    m_Events->Signal(kStopEvent);
    m_Thread.join();
    m_Events->Reset();  // what the old thread left must not reach the next one
}

void CStreamSound::Play() {
    Start(true);
}

void CStreamSound::Resume() {
    Start(false);
}

void CStreamSound::Start(bool fromStart) {
    if (!m_Buffer) return;
    // At most one filling thread per stream: a stream still playing is ended first.
    EndThread();
    const int32_t volume = m_Buffer->Volume();
    m_Buffer->SetVolume(0);
    if (fromStart) {
        m_Buffer->SetPosition(0);
        // The first quarter sounds before the thread has filled anything: make it silence, not what a
        // previous play left there.
        const std::vector<uint8_t> silence(m_Desc.bytes / 4, m_Desc.format.bitsPerSample == 8 ? 0x80 : 0);
        WriteRestoring(0, silence.data(), static_cast<uint32_t>(silence.size()));
    }
    m_Buffer->Play(true);
    m_ThreadRunning = true;
    ++m_ThreadStarts;
    m_Thread = std::thread(&CStreamSound::ThreadMain, this);
    m_Buffer->SetVolume(volume);
}

void CStreamSound::Stop() {
    if (!m_Buffer) return;
    m_Buffer->SetVolume(kAudioVolumeMin);
    m_Buffer->Stop();
}

void CStreamSound::SetVolume(int32_t volume) {
    if (m_Buffer) m_Buffer->SetVolume(volume);
}

void CStreamSound::WriteRestoring(uint32_t offset, const uint8_t* data, uint32_t bytes) {
    if (m_Buffer->Write(offset, data, bytes) == EAudioWrite::Lost && m_Buffer->Restore()) {
        m_Buffer->Write(offset, data, bytes);
    }
}

void CStreamSound::ThreadMain() {
    m_Device->PromoteCurrentThread();
    m_WavePos = 0;
    m_Quarter.assign(m_Desc.bytes / 4, 0);
    Prime();
    const uint32_t q = m_Desc.bytes / 4;
    for (;;) {
        const int event = m_Events->WaitAny();
        if (event < 0 || event >= kStopEvent) break;
        // The quarter after the one the cursor has just entered.
        FillQuarter(((static_cast<uint32_t>(event) + 1) % 4) * q);
    }
    m_ThreadRunning = false;
}

void CStreamSound::Prime() {
    const uint32_t bytes = m_Desc.bytes / 16;
    const std::vector<uint8_t> silence(bytes, m_Desc.format.bitsPerSample == 8 ? 0x80 : 0);
    WriteRestoring(0, silence.data(), bytes);
    if (m_Source->GetKind() == 1) {  // a wave stream moves on as if it had copied those bytes
        const uint32_t size = m_Source->GetDataSize();
        if (size) m_WavePos = static_cast<uint32_t>((static_cast<uint64_t>(m_WavePos) + bytes) % size);
    }
}

void CStreamSound::CopyWave(uint8_t* out, uint32_t bytes) {
    const uint32_t size = m_Source->GetDataSize();
    const uint8_t* data = m_Source->GetData();
    if (!size || !data) {
        std::memset(out, m_Desc.format.bitsPerSample == 8 ? 0x80 : 0, bytes);
        return;
    }
    // Endless: however short the data, it repeats until the quarter is full.
    while (bytes) {
        const uint32_t take = std::min(bytes, size - m_WavePos);
        std::memcpy(out, data + m_WavePos, take);
        out += take;
        bytes -= take;
        m_WavePos += take;
        if (m_WavePos >= size) m_WavePos = 0;
    }
}

void CStreamSound::FillQuarter(uint32_t offset) {
    const uint32_t q = static_cast<uint32_t>(m_Quarter.size());
    if (m_Source->GetKind() == 1) {
        CopyWave(m_Quarter.data(), q);
    } else {
        const uint32_t got = m_Source->ReadPcm(m_Quarter.data(), q, true);
        // A stream that cannot be decoded further gives silence, not the previous quarter again.
        std::memset(m_Quarter.data() + got, 0, q - got);
    }
    WriteRestoring(offset, m_Quarter.data(), q);
}
