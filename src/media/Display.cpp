#include "media/Display.h"

#include <memory>

#include "media/AlphaSurface.h"
#include "media/Surface.h"
#include "platform/Platform.h"
#include "resources/Image.h"
#include "shell/System.h"

CDisplay::CDisplay(bool hardware) : m_Device(&CSystem::Platform().Display()) {
    if (!m_Device->CreateDevice(hardware))
        FatalError("他の全てのアプリケーションを終了させてから、起動してください。",
                   "アプリケーション起動エラー");
    if (!m_Device->CreateClipper()) FatalError("クリップの作成失敗", "アプリケーションエラー");
}

CDisplay::~CDisplay() {
    if (m_Mode != 0) m_Device->SetMode(0);
    m_Device->DestroyDevice();
}

bool CDisplay::SetMode(int mode) {
    if (mode != 0 && mode != 16 && mode != 24 && mode != 32) return true;  // 15 and the rest: no change
    if (!m_Device->SetMode(mode)) return false;
    m_Mode = mode;
    return true;
}

int CDisplay::SurfaceDepth() const {
    return m_Device->SurfaceDepth();
}

CSurface* CDisplay::CreatePrimary() {
    auto* surface = new CSurface;
    surface->CreatePrimaryWithClipper(m_Device);
    return surface;
}

CSurface* CDisplay::CreateSurface(int width, int height) {
    auto* surface = new CSurface;
    surface->CreateBlank(m_Device, width, height);
    surface->Fill(0, 0, width, height, 0);
    return surface;
}

CSurface* CDisplay::CreateSurfaceFromImage(const std::string& path) {
    std::unique_ptr<CImage> image = CSurface::LoadImage(path);
    if (!image) return nullptr;
    auto* surface = new CSurface;
    surface->CreateFromImage(m_Device, *image);
    return surface;
}

CAlphaSurface* CDisplay::CreateAlphaSurface(int width, int height) {
    auto* surface = new CAlphaSurface;
    surface->CreateBlank(m_Device, width, height);
    surface->Fill(0, 0, width, height, 0);
    return surface;
}

CAlphaSurface* CDisplay::CreateAlphaSurfaceFromImage(const std::string& path) {
    std::unique_ptr<CImage> image = CSurface::LoadImage(path);
    if (!image) return nullptr;
    auto* surface = new CAlphaSurface;
    surface->CreateFromImage(m_Device, *image);
    return surface;
}

void CDisplay::ReleaseSurface(CSurface* surface) {
    if (!surface) return;
    surface->Release();
    delete surface;
}
