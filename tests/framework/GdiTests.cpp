// GDI wrappers: ownership, selection, drawing, and that nothing leaks.
#include <gtest/gtest.h>

#include "AfxThreadState.h"
#include "FrameworkTestIds.h"
#include "GdiObjectCount.h"
#include "afxwin.h"

namespace {

class Gdi : public ::testing::Test {
protected:
    void SetUp() override {
        window = CreateWindowA("STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 40, 30, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(wnd.Attach(window));
    }
    void TearDown() override { wnd.DestroyWindow(); }
    HWND window = nullptr;
    CWnd wnd;
};

TEST_F(Gdi, BrushAndBitmapOwnTheirObjects) {
    long before = GdiObjectCount();
    if (before < 0) GTEST_SKIP() << "no GDI handle table";
    HGDIOBJ brushHandle = nullptr;
    {
        CBrush brush;
        EXPECT_EQ(brush.GetSafeHandle(), nullptr);
        ASSERT_TRUE(brush.CreateSolidBrush(RGB(107, 132, 115)));
        brushHandle = brush.m_hObject;
        LOGBRUSH info = {};
        ASSERT_EQ(brush.GetObject(sizeof info, &info), static_cast<int>(sizeof info));
        EXPECT_EQ(info.lbColor, RGB(107, 132, 115));
        CBitmap bitmap;
        ASSERT_TRUE(bitmap.LoadBitmap(IDB_FW_TEST));
        EXPECT_EQ(GdiObjectCount(), before + 2);
    }
    EXPECT_EQ(GdiObjectCount(), before);
    EXPECT_EQ(GetObjectType(brushHandle), 0u);
}

TEST_F(Gdi, LoadedBitmapKeepsItsSizeAndPixels) {
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.LoadBitmap(IDB_FW_TEST));
    BITMAP info = {};
    ASSERT_NE(bitmap.GetBitmap(&info), 0);
    EXPECT_EQ(info.bmWidth, 4);
    EXPECT_EQ(info.bmHeight, 2);
    CDC* windowDC = wnd.GetDC();
    ASSERT_NE(windowDC, nullptr);
    CDC memory;
    ASSERT_TRUE(memory.CreateCompatibleDC(windowDC));
    CBitmap* previous = memory.SelectObject(&bitmap);
    ASSERT_NE(previous, nullptr);
    EXPECT_NE(previous->m_hObject, bitmap.m_hObject);
    EXPECT_EQ(memory.GetPixel(0, 0), RGB(255, 0, 0));
    EXPECT_EQ(memory.GetPixel(2, 0), RGB(0, 0, 255));
    EXPECT_EQ(memory.GetPixel(0, 1), RGB(0, 0, 0));

    // A copy into a second memory bitmap carries the pixels over.
    CDC target;
    ASSERT_TRUE(target.CreateCompatibleDC(windowDC));
    CBitmap canvas;
    ASSERT_TRUE(canvas.CreateCompatibleBitmap(windowDC, 10, 10));
    CBitmap* targetPrevious = target.SelectObject(&canvas);
    ASSERT_TRUE(target.BitBlt(3, 3, info.bmWidth, info.bmHeight, &memory, 0, 0, SRCCOPY));
    EXPECT_EQ(target.GetPixel(4, 3), RGB(0, 255, 0));
    EXPECT_EQ(target.GetPixel(6, 3), RGB(255, 255, 255));

    CBitmap* back = memory.SelectObject(previous);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->m_hObject, bitmap.m_hObject);
    target.SelectObject(targetPrevious);
    wnd.ReleaseDC(windowDC);
}

TEST_F(Gdi, TextAndBackgroundSettingsReachTheDeviceContext) {
    CDC* dc = wnd.GetDC();
    ASSERT_NE(dc, nullptr);
    dc->SetBkColor(RGB(107, 132, 115));
    EXPECT_EQ(dc->GetBkColor(), RGB(107, 132, 115));
    EXPECT_EQ(dc->SetBkMode(TRANSPARENT), OPAQUE);
    EXPECT_EQ(dc->GetBkMode(), TRANSPARENT);
    EXPECT_TRUE(dc->TextOut(1, 1, "CONNECTING"));
    EXPECT_TRUE(dc->TextOut(1, 1, CString("CONNECTING")));
    CBrush brush;
    brush.CreateSolidBrush(RGB(160, 198, 172));
    RECT all = {0, 0, 40, 30};
    dc->FillRect(&all, &brush);
    wnd.ReleaseDC(dc);
}

TEST_F(Gdi, TemporaryWrappersAreOnePerHandleAndOfTheHandlesKind) {
    HGDIOBJ stockBrush = GetStockObject(WHITE_BRUSH);
    CGdiObject* first = CGdiObject::FromHandle(stockBrush);
    EXPECT_EQ(CGdiObject::FromHandle(stockBrush), first);
    EXPECT_NE(dynamic_cast<CBrush*>(first), nullptr);
    EXPECT_EQ(CBrush::FromHandle(static_cast<HBRUSH>(stockBrush)), first);
    HDC screen = GetDC(nullptr);
    CDC* dc = CDC::FromHandle(screen);
    EXPECT_EQ(CDC::FromHandle(screen), dc);
    EXPECT_EQ(dc->GetSafeHdc(), screen);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(CGdiObject::FromHandle(nullptr), nullptr);
}

// The progress animation's tick, many times over, outside any message loop.
TEST_F(Gdi, RepeatedFrameDrawingLeavesNoObjectsOrWrappersBehind) {
    long before = GdiObjectCount();
    AfxThreadState& state = AfxGetThreadState();
    for (int tick = 0; tick < 300; ++tick) {
        CDC* windowDC = wnd.GetDC();
        ASSERT_NE(windowDC, nullptr);
        CBitmap frame;
        ASSERT_TRUE(frame.LoadBitmap(IDB_FW_TEST));
        BITMAP info = {};
        frame.GetBitmap(&info);
        CDC memory;
        memory.CreateCompatibleDC(windowDC);
        CBitmap* previous = memory.SelectObject(&frame);
        windowDC->BitBlt(4, 4, info.bmWidth, info.bmHeight, &memory, 0, 0, SRCCOPY);
        memory.SelectObject(previous);
        memory.DeleteDC();
        wnd.ReleaseDC(windowDC);
    }
    if (before >= 0) {
        EXPECT_EQ(GdiObjectCount(), before);
    }
    EXPECT_LE(state.tempGdiObjects.size(), 4u);
    EXPECT_LE(state.tempDCs.size(), 4u);
}

TEST_F(Gdi, DeletedObjectsTemporaryIsDropped) {
    AfxThreadState& state = AfxGetThreadState();
    CBrush brush;
    ASSERT_TRUE(brush.CreateSolidBrush(RGB(1, 2, 3)));
    HGDIOBJ handle = brush.m_hObject;
    ASSERT_NE(CGdiObject::FromHandle(handle), nullptr);
    EXPECT_EQ(state.tempGdiObjects.count(handle), 1u);
    EXPECT_TRUE(brush.DeleteObject());
    EXPECT_EQ(state.tempGdiObjects.count(handle), 0u);
    EXPECT_FALSE(brush.DeleteObject());
}

} // namespace
