#include "DpiScale.h"

#include "resource.h"

namespace {

const ArtScale kArt[] = {
    {100, IDB_BANNER, IDB_PROGRESS_FIRST},         {125, IDB_BANNER_125, IDB_PROGRESS_125_FIRST},
    {150, IDB_BANNER_150, IDB_PROGRESS_150_FIRST}, {175, IDB_BANNER_175, IDB_PROGRESS_175_FIRST},
    {200, IDB_BANNER_200, IDB_PROGRESS_200_FIRST},
};

// Windows 10 calls, looked up so that the program still starts on the older
// systems it supports.
template <typename Function>
Function User32Call(const char* name) {
    HMODULE user32 = GetModuleHandleA("user32.dll");
    return user32 ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}

int SystemMetricForDpi(int index, UINT dpi) {
    using GetSystemMetricsForDpiCall = int(WINAPI*)(int, UINT);
    static const auto forDpi = User32Call<GetSystemMetricsForDpiCall>("GetSystemMetricsForDpi");
    if (forDpi) return forDpi(index, dpi);
    // Older systems have one scale for every monitor: the system's metrics.
    return GetSystemMetrics(index);
}

SIZE BitmapSize(HBITMAP bitmap) {
    BITMAP info = {};
    if (!GetObject(bitmap, sizeof info, &info)) return SIZE{0, 0};
    return SIZE{info.bmWidth, info.bmHeight};
}

HBITMAP ResizeBitmap(HBITMAP source, SIZE from, SIZE to) {
    HDC screen = GetDC(nullptr);
    if (!screen) return nullptr;
    HBITMAP result = CreateCompatibleBitmap(screen, to.cx, to.cy);
    HDC sourceDc = CreateCompatibleDC(screen);
    HDC targetDc = CreateCompatibleDC(screen);
    bool drawn = false;
    if (result && sourceDc && targetDc) {
        HGDIOBJ oldSource = SelectObject(sourceDc, source);
        HGDIOBJ oldTarget = SelectObject(targetDc, result);
        SetStretchBltMode(targetDc, HALFTONE);
        SetBrushOrgEx(targetDc, 0, 0, nullptr);
        drawn = StretchBlt(targetDc, 0, 0, to.cx, to.cy, sourceDc, 0, 0, from.cx, from.cy, SRCCOPY) != FALSE;
        SelectObject(targetDc, oldTarget);
        SelectObject(sourceDc, oldSource);
    }
    if (targetDc) DeleteDC(targetDc);
    if (sourceDc) DeleteDC(sourceDc);
    ReleaseDC(nullptr, screen);
    if (!drawn && result) {
        DeleteObject(result);
        result = nullptr;
    }
    return result;
}

} // namespace

UINT WindowDpi(HWND window) {
    using GetDpiForWindowCall = UINT(WINAPI*)(HWND);
    static const auto forWindow = User32Call<GetDpiForWindowCall>("GetDpiForWindow");
    if (forWindow) {
        UINT dpi = forWindow(window);
        if (dpi != 0) return dpi;
    }
    HDC dc = GetDC(window);
    if (!dc) return kBaseDpi;
    int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(window, dc);
    return dpi > 0 ? static_cast<UINT>(dpi) : kBaseDpi;
}

int ScaleToDpi(int pixelsAt96, UINT dpi) {
    return MulDiv(pixelsAt96, static_cast<int>(dpi), static_cast<int>(kBaseDpi));
}

const ArtScale& ArtForDpi(UINT dpi) {
    for (const ArtScale& art : kArt)
        if (art.percent * kBaseDpi >= dpi * 100) return art;
    return kArt[sizeof kArt / sizeof kArt[0] - 1];
}

HBITMAP LoadArtAtSize(HINSTANCE module, UINT id, SIZE size) {
    HBITMAP art = LoadBitmap(module, MAKEINTRESOURCE(id));
    if (!art) return nullptr;
    const SIZE drawn = BitmapSize(art);
    if (drawn.cx == size.cx && drawn.cy == size.cy) return art;
    HBITMAP resized = drawn.cx > 0 ? ResizeBitmap(art, drawn, size) : nullptr;
    DeleteObject(art);
    return resized;
}

HICON LoadIconForDpi(HINSTANCE module, UINT id, bool small, UINT dpi) {
    const int cx = SystemMetricForDpi(small ? SM_CXSMICON : SM_CXICON, dpi);
    const int cy = SystemMetricForDpi(small ? SM_CYSMICON : SM_CYICON, dpi);
    return static_cast<HICON>(LoadImage(module, MAKEINTRESOURCE(id), IMAGE_ICON, cx, cy, LR_DEFAULTCOLOR));
}

RECT WindowRectForClient(HWND window, SIZE client, UINT dpi) {
    using AdjustForDpiCall = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
    static const auto adjustForDpi = User32Call<AdjustForDpiCall>("AdjustWindowRectExForDpi");
    RECT rect = {0, 0, client.cx, client.cy};
    const DWORD style = static_cast<DWORD>(GetWindowLong(window, GWL_STYLE));
    const DWORD exStyle = static_cast<DWORD>(GetWindowLong(window, GWL_EXSTYLE));
    if (!adjustForDpi || !adjustForDpi(&rect, style, FALSE, exStyle, dpi))
        AdjustWindowRectEx(&rect, style, FALSE, exStyle);
    return rect;
}

void LeaveDpiChangesToTheDialog(HWND dialog) {
    // DIALOG_DPI_CHANGE_BEHAVIORS: DDC_DISABLE_ALL, for both the mask and the values.
    const int kDisableAll = 1;
    using SetBehaviorCall = BOOL(WINAPI*)(HWND, int, int);
    static const auto setBehavior = User32Call<SetBehaviorCall>("SetDialogDpiChangeBehavior");
    if (setBehavior) setBehavior(dialog, kDisableAll, kDisableAll);
}
