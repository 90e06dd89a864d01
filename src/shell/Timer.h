#pragma once
// The millisecond timer every timed behaviour uses. Holding one keeps the timer device at its finest
// period; the requests are counted, so any number may exist at once.
#include <cstdint>

class CTimer {
  public:
    CTimer();
    ~CTimer();
    CTimer(const CTimer&) = delete;
    CTimer& operator=(const CTimer&) = delete;

    void Restart();
    // Milliseconds since the last Restart (since the counter's origin before the first), correct
    // across the counter's wrap-around.
    uint32_t Elapsed();
    uint32_t Start() const { return m_Start; }
    uint32_t Last() const { return m_Last; }

  private:
    uint32_t m_Start = 0;
    uint32_t m_Last = 0;
    uint32_t m_PeriodMin = 1;
    uint32_t m_PeriodMax = 1000000;
};
