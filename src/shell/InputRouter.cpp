#include "shell/InputRouter.h"

#include "platform/Platform.h"
#include "shell/Application.h"
#include "shell/System.h"

bool CInputRouter::Busy() const {
    return m_App->AnyOverlayOpen();
}

void CInputRouter::OnMove(HWindow w, int32_t packed, CClientRect* client) {
    if (target) target->OnMove(w, packed, client);
}

void CInputRouter::OnClose(HWindow w) {
    if (target) target->OnClose(w);
}

void CInputRouter::OnDestroy(HWindow w) {
    if (target) target->OnDestroy(w);
}

void CInputRouter::OnLButtonDown(HWindow w, int x, int y) {
    if (!Busy()) m_App->textHidden = false;
    if (target) target->OnLButtonDown(w, x, y);
    if (!Busy() && m_App->messageShowing && m_App->clickAdvance) {
        m_App->useWindow2 = false;
        m_App->AdvanceText();
    }
}

void CInputRouter::OnRButtonDown(HWindow w, int x, int y) {
    if (!Busy()) {
        if (m_App->textHidden)
            m_App->textHidden = false;
        else if (m_App->messageShowing)
            m_App->textHidden = true;
    }
    if (target) target->OnRButtonDown(w, x, y);
}

void CInputRouter::OnLButtonUp(HWindow w, int x, int y) {
    if (target) target->OnLButtonUp(w, x, y);
}

void CInputRouter::OnRButtonUp(HWindow w, int x, int y) {
    if (target) target->OnRButtonUp(w, x, y);
}

void CInputRouter::OnMouseMove(HWindow w, int x, int y) {
    if (target) target->OnMouseMove(w, x, y);
}

void CInputRouter::OnMouseWheel(HWindow w, int direction) {
    if (ctrlHeld) return;
    if (target) target->OnMouseWheel(w, direction);
}

void CInputRouter::OnKeyDown(HWindow w, uint32_t key) {
    if (key == vk::Return) {
        // Enter is the right button at (0, 0): it toggles the hidden text, and the screen sees a press.
        OnRButtonDown(w, 0, 0);
        return;
    }
    if (!Busy()) m_App->textHidden = false;
    if (target) target->OnKeyDown(w, key);
    if (Busy()) return;
    if (key == vk::Control) {
        ctrlHeld = true;
        if (m_App->messageShowing && !m_App->skipMode) m_App->StartSkip();
    } else if (key == vk::Space) {
        if (m_App->messageShowing && !spaceHeld) {
            spaceHeld = true;
            m_App->useWindow2 = false;
            m_App->AdvanceText();
        }
    }
}

void CInputRouter::OnKeyUp(HWindow w, uint32_t key) {
    if (!Busy()) {
        if (key == vk::Control) {
            ctrlHeld = false;
            if (m_App->skipMode) m_App->StopSkip();
        } else if (key == vk::Space) {
            spaceHeld = false;
        }
    }
    if (target) target->OnKeyUp(w, key);
}

void CInputRouter::OnSysKeyDown(HWindow w, uint32_t key) {
    if (target) target->OnSysKeyDown(w, key);
}

void CInputRouter::OnSysKeyUp(HWindow w, uint32_t key) {
    if (target) target->OnSysKeyUp(w, key);
}

void CInputRouter::OnIdle(HWindow) {
    m_App->RunFrame();
}

void CInputRouter::OnMciNotify() {
    if (target) target->OnMciNotify();
}

void CInputRouter::OnCommand(HWindow w, uint32_t wParam) {
    if (target) target->OnCommand(w, wParam);
    switch (wParam & 0xFFFF) {
        case menu::kReturnToTitle:
            if (!m_App->OverlayOpen(kOverlaySetup) && !m_App->OverlayOpen(kOverlaySystemMenu)) {
                if (MessageBoxU8("タイトルに戻ります。\nよろしいですか？", kProductTitle,
                                 EMsgBoxButtons::YesNo) == EMsgBoxResult::Yes)
                    m_App->ReturnToTitle();
            }
            break;
        case menu::kSave:
            if (!m_App->OverlayOpen(kOverlaySave)) m_App->OpenSave();
            break;
        case menu::kLoad:
            if (!m_App->OverlayOpen(kOverlayLoad)) m_App->OpenLoad();
            break;
        case menu::kSkipToChoice:
            m_App->GetConfig().Record().skipCondition = 0;
            m_App->StartSkip();
            break;
        case menu::kSetup:
            if (!m_App->OverlayOpen(kOverlaySetup)) m_App->OpenSetup();
            break;
        default:
            break;
    }
}
