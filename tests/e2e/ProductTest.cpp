#include "ProductTest.h"

#include <oleacc.h>
#include <shlobj.h>

#include <regex>
#include <sstream>

#include "Screen.h"

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

namespace e2e {

namespace {
// The session's display scale, which every program of it starts with.
UINT SessionDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return static_cast<UINT>(dpi);
}

// The program's windows in the screen's own pixels, whatever its scale.
void SeePhysicalPixels() {
    using SetThreadContext = HANDLE(WINAPI*)(HANDLE);
    auto set = reinterpret_cast<SetThreadContext>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "SetThreadDpiAwarenessContext")));
    // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE
    if (set) set(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-3)));
}

HKEY OpenProductKey() {
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, SettingsStore::kProductKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                    nullptr);
    return key;
}
} // namespace

std::string ProductTest::NameOfThisTest() {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "-" + info->name();
    for (char& c : name)
        if (c == '/' || c == '\\') c = '_';
    return name;
}

void ProductTest::SetUp() {
    // Every test starts from a profile without the product's key.
    RegDeleteKeyA(HKEY_CURRENT_USER, SettingsStore::kProductKey);
    supportLogStart = ReadWholeFile(SupportLogPath()).size();
    SeePhysicalPixels();
}

void ProductTest::TearDown() {
    // A trading client that outlived the program would hold the test's output
    // open; it ends when told to.
    standins.releaseClient();
    product.close();
    Sleep(100);
}

void ProductTest::StartProduct(const std::vector<std::pair<std::string, std::string>>& extra, bool asStandardUser) {
    driver::ProductSession::Options options;
    options.asStandardUser = asStandardUser;
    options.environment = standins.environment();
    options.environment.insert(options.environment.end(), extra.begin(), extra.end());
    // A scale is set at sign-in; the rig starts a test named AtNNNdpi in a
    // session at that scale (tests/rig/wine-run.sh.in).
    ASSERT_EQ(SessionDpi(), displayDpi) << "the session's display scale";
    ASSERT_TRUE(product.start(options)) << "CreateProcess error " << product.lastError();
    window = product.waitForWindow();
    ASSERT_TRUE(window) << "the login window did not appear";
}

bool ProductTest::StartAnotherCopy(driver::ProductSession& session) {
    driver::ProductSession::Options options;
    options.environment = standins.environment();
    return session.start(options);
}

bool ProductTest::SendDpiChanged(UINT dpi) const {
    RECT suggested = window.windowRect();
    void* remote =
        VirtualAllocEx(product.process(), nullptr, sizeof suggested, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!remote) return false;
    const bool sent = WriteProcessMemory(product.process(), remote, &suggested, sizeof suggested, nullptr) &&
                      window.send(WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(remote));
    VirtualFreeEx(product.process(), remote, 0, MEM_RELEASE);
    return sent;
}

std::string ProductTest::AccessibleText(const driver::Window& of, bool description) {
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    std::string text = "(no object)";
    IAccessible* object = nullptr;
    if (SUCCEEDED(AccessibleObjectFromWindow(of.handle(), OBJID_CLIENT, IID_IAccessible,
                                             reinterpret_cast<void**>(&object))) &&
        object) {
        VARIANT self;
        self.vt = VT_I4;
        self.lVal = CHILDID_SELF;
        BSTR answer = nullptr;
        const HRESULT asked =
            description ? object->get_accDescription(self, &answer) : object->get_accName(self, &answer);
        text = "(none)";
        if (SUCCEEDED(asked) && answer) {
            char narrow[256] = "";
            WideCharToMultiByte(CP_ACP, 0, answer, -1, narrow, sizeof narrow, nullptr, nullptr);
            text = narrow;
        }
        SysFreeString(answer);
        object->Release();
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return text;
}

bool ProductTest::LoadIntoProgram(const char* library) const {
    const std::string path = driver::ProductSession::BesideTestProgram(library);
    void* remote =
        VirtualAllocEx(product.process(), nullptr, path.size() + 1, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!remote) return false;
    // kernel32 lies at the same address in every process of a session.
    auto load = reinterpret_cast<LPTHREAD_START_ROUTINE>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "LoadLibraryA")));
    HANDLE thread = nullptr;
    if (WriteProcessMemory(product.process(), remote, path.c_str(), path.size() + 1, nullptr))
        thread = CreateRemoteThread(product.process(), nullptr, 0, load, remote, 0, nullptr);
    DWORD loaded = 0;
    if (thread) {
        if (WaitForSingleObject(thread, kReactionLimitMs) == WAIT_OBJECT_0) GetExitCodeThread(thread, &loaded);
        CloseHandle(thread);
    }
    VirtualFreeEx(product.process(), remote, 0, MEM_RELEASE);
    return loaded != 0;
}

driver::ScreenImage ProductTest::CaptureStrip(UINT dpi) const {
    const RECT client = window.clientRectOnScreen();
    const int left = client.left + MulDiv(kStripX, dpi, 96), top = client.top + MulDiv(kStripY, dpi, 96);
    const RECT area = {left, top, left + MulDiv(kStripWidth, dpi, 96), top + MulDiv(kStripHeight, dpi, 96)};
    RECT inside;
    if (!IntersectRect(&inside, &area, &client) || !EqualRect(&inside, &area)) return driver::ScreenImage();
    return driver::Screen::capture(area);
}

Frames::Frames(int firstId) {
    for (int i = 0; i <= IDB_PROGRESS_LAST - IDB_PROGRESS_FIRST; ++i) {
        std::vector<uint32_t> pixels;
        if (ProductTest::ProgramBitmap(firstId + i, m_size, pixels)) m_frames[IDB_PROGRESS_FIRST + i] = pixels;
    }
}

int Frames::identify(const driver::ScreenImage& image) const {
    if (image.width() != m_size.cx || image.height() != m_size.cy) return 0;
    for (const auto& [id, pixels] : m_frames) {
        bool same = true;
        for (int y = 0; y < m_size.cy && same; ++y)
            for (int x = 0; x < m_size.cx && same; ++x) {
                const COLORREF shown = image.pixel(x, y);
                same = pixels[y * m_size.cx + x] ==
                       static_cast<uint32_t>((GetRValue(shown) << 16) | (GetGValue(shown) << 8) | GetBValue(shown));
            }
        if (same) return id;
    }
    return 0;
}

bool ProductTest::ProgramBitmap(int id, SIZE& size, std::vector<uint32_t>& pixels) {
    HMODULE exe = LoadLibraryExA(driver::ProductSession::BesideTestProgram("QuillmarshVPN.exe").c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE);
    if (!exe) return false;
    // Not as a DIB section: the larger art is run-length encoded, which only
    // the device-dependent form takes, as the program loads it.
    HBITMAP bitmap = static_cast<HBITMAP>(LoadImageA(exe, MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, 0));
    FreeLibrary(exe);
    BITMAP info = {};
    if (!bitmap || !GetObjectA(bitmap, sizeof info, &info)) {
        if (bitmap) DeleteObject(bitmap);
        return false;
    }
    size = SIZE{info.bmWidth, info.bmHeight};
    BITMAPINFO wanted = {};
    wanted.bmiHeader.biSize = sizeof wanted.bmiHeader;
    wanted.bmiHeader.biWidth = size.cx;
    wanted.bmiHeader.biHeight = -size.cy;
    wanted.bmiHeader.biPlanes = 1;
    wanted.bmiHeader.biBitCount = 32;
    pixels.assign(static_cast<size_t>(size.cx) * size.cy, 0);
    HDC dc = GetDC(nullptr);
    const bool read = GetDIBits(dc, bitmap, 0, size.cy, pixels.data(), &wanted, DIB_RGB_COLORS) == size.cy;
    ReleaseDC(nullptr, dc);
    DeleteObject(bitmap);
    for (uint32_t& pixel : pixels) pixel &= 0xFFFFFF;
    return read;
}

void ProductTest::WriteRegistryString(const char* name, const std::string& value) const {
    HKEY key = OpenProductKey();
    ASSERT_NE(key, nullptr);
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
    RegCloseKey(key);
}

void ProductTest::WriteRegistryDword(const char* name, DWORD value) const {
    HKEY key = OpenProductKey();
    ASSERT_NE(key, nullptr);
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(key);
}

void ProductTest::WriteRegistryBinary(const char* name, const void* data, DWORD size) const {
    HKEY key = OpenProductKey();
    ASSERT_NE(key, nullptr);
    RegSetValueExA(key, name, 0, REG_BINARY, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}

void ProductTest::SaveScreenshot(const char* name) const {
    char dir[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("QM_SCREENSHOT_DIR", dir, sizeof dir);
    if (length == 0 || length >= sizeof dir) return;
    Sleep(300); // let the last paint reach the screen
    driver::Screen::saveWindow(window, std::string(dir) + "\\" + name + ".bmp");
}

void ProductTest::TypeInto(int id, const std::string& text) const {
    ASSERT_TRUE(driver::Keyboard::postText(Control(id), text));
}

std::string ProductTest::SupportLogPath() {
    return ShellFolder(CSIDL_LOCAL_APPDATA) + "\\Quillmarsh VPN\\QuillmarshVPN.log";
}

std::vector<std::string> ProductTest::SupportLogOfThisTest() const {
    std::string text = ReadWholeFile(SupportLogPath());
    std::vector<std::string> lines;
    std::istringstream in(text.size() > supportLogStart ? text.substr(supportLogStart) : std::string());
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

void ProductTest::ExpectSupportLog(const std::vector<std::string>& pieces,
                                   const std::vector<std::string>& secrets) const {
    const std::vector<std::string> lines = SupportLogOfThisTest();
    char trap[16];
    if (GetEnvironmentVariableA("QM_LOG_TRAP", trap, sizeof trap) != 0) {
        EXPECT_TRUE(lines.empty()) << "the log was written despite " << trap;
        return;
    }
    const std::regex stamped(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} (dialog|worker) \S.*)");
    size_t at = 0;
    for (const std::string& line : lines) {
        EXPECT_TRUE(std::regex_match(line, stamped)) << line;
        for (const std::string& secret : secrets) EXPECT_EQ(line.find(secret), std::string::npos) << line;
        if (at < pieces.size() && line.find(pieces[at]) != std::string::npos) ++at;
    }
    std::string all;
    for (const std::string& line : lines) all += line + "\n";
    EXPECT_EQ(at, pieces.size()) << "missing, in order: \"" << (at < pieces.size() ? pieces[at] : "") << "\" in\n"
                                 << all;
}

} // namespace e2e
