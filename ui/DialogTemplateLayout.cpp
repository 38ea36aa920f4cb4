#include "DialogTemplateLayout.h"

namespace {

// Reads an extended template in order, refusing to run past its end.
class TemplateReader {
public:
    TemplateReader(const BYTE* data, DWORD size) : m_at(data), m_end(data + size) {}

    bool Word(WORD& value) { return Take(&value, sizeof value); }
    bool Dword(DWORD& value) { return Take(&value, sizeof value); }
    bool Short(short& value) { return Take(&value, sizeof value); }
    bool Skip(DWORD bytes) {
        if (static_cast<DWORD>(m_end - m_at) < bytes) return false;
        m_at += bytes;
        return true;
    }
    // A name or an ordinal: 0xFFFF and a number, or a zero-ended UTF-16 string.
    bool SkipNameOrOrdinal() {
        WORD first = 0;
        if (!Word(first)) return false;
        if (first == 0xFFFF) return Skip(sizeof(WORD));
        return first == 0 || SkipString();
    }
    bool SkipString() {
        for (WORD ch = 1; ch != 0;)
            if (!Word(ch)) return false;
        return true;
    }
    bool AlignToDword(const BYTE* start) { return Skip(static_cast<DWORD>((4 - ((m_at - start) & 3)) & 3)); }

private:
    bool Take(void* value, DWORD bytes) {
        if (static_cast<DWORD>(m_end - m_at) < bytes) return false;
        CopyMemory(value, m_at, bytes);
        m_at += bytes;
        return true;
    }

    const BYTE* m_at;
    const BYTE* m_end;
};

bool ReadUnits(TemplateReader& reader, RECT& units) {
    short x = 0, y = 0, cx = 0, cy = 0;
    if (!reader.Short(x) || !reader.Short(y) || !reader.Short(cx) || !reader.Short(cy)) return false;
    units = RECT{x, y, cx, cy};
    return true;
}

} // namespace

bool ReadDialogTemplateLayout(HINSTANCE module, UINT id, DialogTemplateLayout& layout) {
    HRSRC found = FindResource(module, MAKEINTRESOURCE(id), RT_DIALOG);
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const BYTE* data = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
    if (!data) return false;
    TemplateReader reader(data, SizeofResource(module, found));

    WORD version = 0, signature = 0, count = 0;
    DWORD helpId = 0, exStyle = 0, style = 0;
    RECT dialog = {};
    if (!reader.Word(version) || !reader.Word(signature) || version != 1 || signature != 0xFFFF) return false;
    if (!reader.Dword(helpId) || !reader.Dword(exStyle) || !reader.Dword(style) || !reader.Word(count) ||
        !ReadUnits(reader, dialog))
        return false;
    if (!(style & DS_SETFONT)) return false;
    if (!reader.SkipNameOrOrdinal() || !reader.SkipNameOrOrdinal() || !reader.SkipString()) return false;
    // Point size, weight, italic and character set, then the face name.
    if (!reader.Word(layout.pointSize) || !reader.Skip(sizeof(WORD) + 2) || !reader.SkipString()) return false;
    layout.clientUnits = SIZE{dialog.right, dialog.bottom};

    layout.controls.clear();
    for (WORD i = 0; i < count; ++i) {
        RECT units = {};
        WORD extra = 0;
        // Help id, extended style and style come first in each item.
        if (!reader.AlignToDword(data) || !reader.Skip(3 * sizeof(DWORD)) || !ReadUnits(reader, units) ||
            !reader.Skip(sizeof(DWORD)) || !reader.SkipNameOrOrdinal() || !reader.SkipNameOrOrdinal() ||
            !reader.Word(extra) || !reader.Skip(extra))
            return false;
        layout.controls.push_back(units);
    }
    return true;
}

SIZE DialogBaseUnits(HFONT font) {
    static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    SIZE units = {0, 0};
    HDC dc = GetDC(nullptr);
    if (!dc) return units;
    HGDIOBJ previous = SelectObject(dc, font);
    TEXTMETRIC metrics = {};
    SIZE letters = {};
    if (GetTextMetrics(dc, &metrics) && GetTextExtentPoint32A(dc, kLetters, 52, &letters)) {
        units.cx = (letters.cx / 26 + 1) / 2;
        units.cy = metrics.tmHeight;
    }
    SelectObject(dc, previous);
    ReleaseDC(nullptr, dc);
    return units;
}

RECT MapDialogUnitsToPixels(const RECT& units, SIZE baseUnits) {
    const int left = MulDiv(units.left, baseUnits.cx, 4);
    const int top = MulDiv(units.top, baseUnits.cy, 8);
    return RECT{left, top, left + MulDiv(units.right, baseUnits.cx, 4), top + MulDiv(units.bottom, baseUnits.cy, 8)};
}

HFONT CreateDialogFontForDpi(HFONT current, WORD pointSize, UINT dpi) {
    LOGFONT font = {};
    if (!current || !GetObject(current, sizeof font, &font)) return nullptr;
    font.lfHeight = -MulDiv(pointSize, static_cast<int>(dpi), 72);
    font.lfWidth = 0;
    return CreateFontIndirect(&font);
}
