#include "platform/headless/HeadlessAudio.h"

#include <cstdio>

namespace {

// How long a pump waits for a refilling thread before it goes on without it.
constexpr uint32_t kQuietTimeoutMs = 2000;

void PutLe(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

}  // namespace

CHeadlessAudio::CHeadlessAudio(CPlatformClock& clock, uint32_t rate)
    : CAudioMixer(rate), m_Clock(clock), m_Rate(rate ? rate : 44100), m_LastMs(clock.Milliseconds()) {}

bool CHeadlessAudio::AcceptPrimary(const CAudioFormat& format) {
    return !m_PrimaryFails && CAudioMixer::AcceptPrimary(format);
}

void CHeadlessAudio::Pump() {
    const uint32_t now = m_Clock.Milliseconds();
    const uint32_t delta = now - m_LastMs;
    m_LastMs = now;
    if (delta > 0x80000000u) return;  // the clock went back
    m_ElapsedMs += delta;
    const uint64_t target = m_ElapsedMs * m_Rate / 1000;
    const uint32_t stepFrames = m_Rate / 100;
    std::vector<std::shared_ptr<CAudioEvents>> signalled;
    while (m_Mixed < target) {
        const uint32_t n = static_cast<uint32_t>(std::min<uint64_t>(stepFrames, target - m_Mixed));
        m_Step.resize(2 * static_cast<size_t>(n));
        signalled.clear();
        Mix(m_Step.data(), n, &signalled);
        m_Mixed += n;
        if (m_Capturing) m_Captured.insert(m_Captured.end(), m_Step.begin(), m_Step.end());
        for (auto& events : signalled) events->WaitQuiet(kQuietTimeoutMs);
    }
}

void CHeadlessAudio::StartCapture() {
    m_Captured.clear();
    m_Capturing = true;
}

bool CHeadlessAudio::WriteWav(const std::string& path) const {
    const uint32_t dataBytes = static_cast<uint32_t>(m_Captured.size() * 2);
    std::vector<uint8_t> header;
    header.insert(header.end(), {'R', 'I', 'F', 'F'});
    PutLe(header, 36 + dataBytes, 4);
    header.insert(header.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    PutLe(header, 16, 4);
    PutLe(header, 1, 2);  // PCM
    PutLe(header, 2, 2);
    PutLe(header, m_Rate, 4);
    PutLe(header, m_Rate * 4, 4);
    PutLe(header, 4, 2);
    PutLe(header, 16, 2);
    header.insert(header.end(), {'d', 'a', 't', 'a'});
    PutLe(header, dataBytes, 4);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(header.data(), 1, header.size(), f) == header.size();
    for (int16_t s : m_Captured) {  // little-endian whatever the host
        const uint8_t b[2] = {static_cast<uint8_t>(s & 0xFF), static_cast<uint8_t>((s >> 8) & 0xFF)};
        ok = ok && std::fwrite(b, 1, 2, f) == 2;
    }
    return std::fclose(f) == 0 && ok;
}

std::unique_ptr<CHeadlessAudio> CreateHeadlessAudio(CPlatformClock& clock) {
    return std::make_unique<CHeadlessAudio>(clock);
}
