#include <chrono>

#include "platform/audio/Audio.h"

CAudioEvents::CAudioEvents(int count) : m_Count(count < 1 ? 1 : (count > 32 ? 32 : count)) {}

void CAudioEvents::Signal(int index) {
    if (index < 0 || index >= m_Count) return;
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_Pending |= 1u << index;
    }
    m_Changed.notify_all();
}

int CAudioEvents::WaitAny() {
    std::unique_lock<std::mutex> lock(m_Mutex);
    ++m_Waiters;
    if (m_Pending == 0) m_Changed.notify_all();  // a quiet waiter is what WaitQuiet looks for
    m_Changed.wait(lock, [this] { return m_Pending != 0; });
    --m_Waiters;
    int index = 0;
    while (!(m_Pending & (1u << index))) ++index;
    m_Pending &= ~(1u << index);
    return index;
}

bool CAudioEvents::IsSignalled(int index) const {
    if (index < 0 || index >= m_Count) return false;
    std::lock_guard<std::mutex> lock(m_Mutex);
    return (m_Pending & (1u << index)) != 0;
}

void CAudioEvents::Reset() {
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_Pending = 0;
}

bool CAudioEvents::WaitQuiet(uint32_t timeoutMs) {
    std::unique_lock<std::mutex> lock(m_Mutex);
    return m_Changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                              [this] { return m_Waiters > 0 && m_Pending == 0; });
}
