#include "shell/Timer.h"

#include "shell/System.h"

CTimer::CTimer() {
    CPlatformClock& clock = CSystem::Platform().Clock();
    m_PeriodMin = clock.FinestPeriod();
    m_PeriodMax = clock.CoarsestPeriod();
    clock.BeginPeriod(m_PeriodMin);
}

CTimer::~CTimer() {
    if (CSystem::Installed()) CSystem::Platform().Clock().EndPeriod(m_PeriodMin);
}

void CTimer::Restart() {
    m_Start = TimeGetTime();
}

uint32_t CTimer::Elapsed() {
    m_Last = TimeGetTime();
    return m_Last - m_Start;
}
