#include "platform/Platform.h"

#include <algorithm>

void CPlatformClock::BeginPeriod(uint32_t period) {
    ++m_PeriodRequests;
    m_Periods.push_back(period);
}

void CPlatformClock::EndPeriod(uint32_t period) {
    auto it = std::find(m_Periods.begin(), m_Periods.end(), period);
    if (it == m_Periods.end()) return;  // an end without its begin changes nothing, as the system's count
    m_Periods.erase(it);
    --m_PeriodRequests;
}

uint32_t CPlatformClock::ActivePeriod() const {
    if (m_Periods.empty()) return 0;
    return *std::min_element(m_Periods.begin(), m_Periods.end());
}
