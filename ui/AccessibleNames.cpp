#include "AccessibleNames.h"

#include <oleacc.h>

#include "SystemLibrary.h"

namespace {

// Not in the headers of the oldest systems this program supports.
const DWORD kEventLiveRegionChanged = 0x8019; // EVENT_OBJECT_LIVEREGIONCHANGED
const char kTextProperty[] = "QuillmarshVPN.AccessibleText";

// The annotation service and the live-setting property, with the value that
// asks a screen reader to read a change when it is done speaking.
const CLSID kAccPropServicesClass = {0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
const IID kAccPropServicesInterface = {0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};
const MSAAPROPID kLiveSettingProperty = {0xc12bcd8e, 0x2a8e, 0x4950, {0x8a, 0xe7, 0x36, 0x25, 0x11, 0x1d, 0x58, 0xeb}};
const LONG kPoliteLiveSetting = 1;

typedef HRESULT(WINAPI* CreateStdAccessibleObjectCall)(HWND, LONG, REFIID, void**);
typedef LRESULT(WINAPI* LresultFromObjectCall)(REFIID, WPARAM, LPUNKNOWN);
typedef BSTR(WINAPI* SysAllocStringCall)(const OLECHAR*);
typedef HRESULT(WINAPI* CoInitializeExCall)(LPVOID, DWORD);
typedef HRESULT(WINAPI* CoCreateInstanceCall)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*);

// The accessibility calls, bound from the system folder on a client's first
// request and kept for the life of the process.
struct AccessibilityLibrary {
    CreateStdAccessibleObjectCall createStdAccessibleObject = nullptr;
    LresultFromObjectCall lresultFromObject = nullptr;
    SysAllocStringCall sysAllocString = nullptr;
    CoCreateInstanceCall coCreateInstance = nullptr;
    bool bound = false;
};

template <typename Call>
Call Bind(const char* library, const char* name) {
    HMODULE module = LoadSystemLibrary(library);
    return module ? reinterpret_cast<Call>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

const AccessibilityLibrary* Library() {
    static AccessibilityLibrary library;
    if (!library.bound) {
        library.bound = true;
        // The object crosses to the client's process through COM, which the
        // dialog's thread has not needed before.
        CoInitializeExCall coInitializeEx = Bind<CoInitializeExCall>("ole32.dll", "CoInitializeEx");
        if (coInitializeEx) coInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        library.coCreateInstance = Bind<CoCreateInstanceCall>("ole32.dll", "CoCreateInstance");
        library.createStdAccessibleObject =
            Bind<CreateStdAccessibleObjectCall>("oleacc.dll", "CreateStdAccessibleObject");
        library.lresultFromObject = Bind<LresultFromObjectCall>("oleacc.dll", "LresultFromObject");
        library.sysAllocString = Bind<SysAllocStringCall>("oleaut32.dll", "SysAllocString");
    }
    const bool complete = library.createStdAccessibleObject && library.lresultFromObject && library.sysAllocString;
    return complete ? &library : nullptr;
}

// What the window's object says in place of the system's (empty for the
// system's own), and the window procedure under this one.
struct AccessibleText {
    WNDPROC previous = nullptr;
    wchar_t name[32] = L"";
    wchar_t description[64] = L"";
    // A live region is annotated as one when a client first asks, through
    // the annotation service kept here until the window goes.
    bool liveRegion = false;
    IAccPropServices* annotations = nullptr;
};

bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

// The system's object with the name and the description replaced; everything
// else is the system's answer.
class NamedAccessible final : public IAccessible {
public:
    NamedAccessible(IAccessible* system, const AccessibleText& text, SysAllocStringCall allocate)
        : m_system(system), m_text(text), m_allocate(allocate) {}

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
        if (!object) return E_POINTER;
        if (id == __uuidof(IUnknown) || id == __uuidof(IDispatch) || id == __uuidof(IAccessible)) {
            *object = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        // Other interfaces of the system's object (for instance the one that
        // tells its window) are its own.
        return m_system->QueryInterface(id, object);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&m_references)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&m_references);
        if (left == 0) {
            m_system->Release();
            delete this;
        }
        return static_cast<ULONG>(left);
    }

    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return m_system->GetTypeInfoCount(count); }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override {
        return m_system->GetTypeInfo(index, locale, info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID id, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override {
        return m_system->GetIDsOfNames(id, names, count, locale, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID id, LCID locale, WORD flags, DISPPARAMS* parameters,
                                     VARIANT* result, EXCEPINFO* exception, UINT* badArgument) override {
        return m_system->Invoke(member, id, locale, flags, parameters, result, exception, badArgument);
    }

    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        if (IsSelf(child) && m_text.name[0]) return Text(m_text.name, name);
        return m_system->get_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override {
        if (IsSelf(child) && m_text.description[0]) return Text(m_text.description, description);
        return m_system->get_accDescription(child, description);
    }
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override { return m_system->get_accParent(parent); }
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override { return m_system->get_accChildCount(count); }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override {
        return m_system->get_accChild(child, object);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        return m_system->get_accValue(child, value);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        return m_system->get_accRole(child, role);
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        return m_system->get_accState(child, state);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
        return m_system->get_accHelp(child, help);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override {
        return m_system->get_accHelpTopic(file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
        return m_system->get_accKeyboardShortcut(child, shortcut);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override { return m_system->get_accFocus(child); }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override {
        return m_system->get_accSelection(children);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        return m_system->get_accDefaultAction(child, action);
    }
    HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override {
        return m_system->accSelect(flags, child);
    }
    HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) override {
        return m_system->accLocation(left, top, width, height, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override {
        return m_system->accNavigate(direction, start, end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* child) override {
        return m_system->accHitTest(x, y, child);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override { return m_system->accDoDefaultAction(child); }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override {
        return m_system->put_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
        return m_system->put_accValue(child, value);
    }

private:
    ~NamedAccessible() = default;

    HRESULT Text(const wchar_t* text, BSTR* out) const {
        if (!out) return E_POINTER;
        *out = m_allocate(text);
        return *out ? S_OK : E_OUTOFMEMORY;
    }

    LONG m_references = 1;
    IAccessible* m_system;
    const AccessibleText m_text;
    SysAllocStringCall m_allocate;
};

// Annotates the window as a polite live region, once; a system without the
// annotation service (or without live regions) simply has no annotation.
void AnnotateLiveRegion(HWND window, AccessibleText& text, const AccessibilityLibrary& library) {
    if (!text.liveRegion || text.annotations || !library.coCreateInstance) return;
    text.liveRegion = false;
    IAccPropServices* annotations = nullptr;
    if (FAILED(library.coCreateInstance(kAccPropServicesClass, nullptr, CLSCTX_INPROC_SERVER, kAccPropServicesInterface,
                                        reinterpret_cast<void**>(&annotations))) ||
        !annotations)
        return;
    VARIANT polite;
    polite.vt = VT_I4;
    polite.lVal = kPoliteLiveSetting;
    if (SUCCEEDED(annotations->SetHwndProp(window, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, kLiveSettingProperty,
                                           polite)))
        text.annotations = annotations;
    else
        annotations->Release();
}

// Annotations outlive their window unless cleared.
void ClearAnnotations(HWND window, AccessibleText& text) {
    if (!text.annotations) return;
    text.annotations->ClearHwndProps(window, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, &kLiveSettingProperty, 1);
    text.annotations->Release();
    text.annotations = nullptr;
}

// The answer to WM_GETOBJECT for the window's own client object; 0 (the
// system's answer) when the library or the object cannot be had.
LRESULT AnswerForClient(HWND window, WPARAM flags, AccessibleText& text) {
    const AccessibilityLibrary* library = Library();
    if (!library) return 0;
    AnnotateLiveRegion(window, text, *library);
    IAccessible* system = nullptr;
    if (FAILED(library->createStdAccessibleObject(window, OBJID_CLIENT, __uuidof(IAccessible),
                                                  reinterpret_cast<void**>(&system))) ||
        !system)
        return 0;
    NamedAccessible* named = new NamedAccessible(system, text, library->sysAllocString);
    const LRESULT answer = library->lresultFromObject(__uuidof(IAccessible), flags, named);
    named->Release();
    return answer > 0 ? answer : 0;
}

LRESULT CALLBACK AccessibleWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    AccessibleText* text = static_cast<AccessibleText*>(GetPropA(window, kTextProperty));
    if (!text) return DefWindowProcA(window, message, wParam, lParam);
    const WNDPROC previous = text->previous;
    if (message == WM_GETOBJECT && static_cast<LONG>(lParam) == OBJID_CLIENT) {
        const LRESULT answer = AnswerForClient(window, wParam, *text);
        if (answer) return answer;
    } else if (message == WM_NCDESTROY) {
        ClearAnnotations(window, *text);
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
        RemovePropA(window, kTextProperty);
        delete text;
    }
    return CallWindowProcA(previous, window, message, wParam, lParam);
}

AccessibleText* TextOf(HWND window) {
    if (!window) return nullptr;
    if (AccessibleText* text = static_cast<AccessibleText*>(GetPropA(window, kTextProperty))) return text;
    AccessibleText* text = new AccessibleText;
    if (!SetPropA(window, kTextProperty, text)) {
        delete text;
        return nullptr;
    }
    text->previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AccessibleWindowProc)));
    return text;
}

} // namespace

void SetAccessibleName(HWND window, const wchar_t* name) {
    if (AccessibleText* text = TextOf(window))
        lstrcpynW(text->name, name ? name : L"", sizeof text->name / sizeof text->name[0]);
}

void MarkLiveRegion(HWND window) {
    if (AccessibleText* text = TextOf(window))
        if (!text->annotations) text->liveRegion = true;
}

void SetAccessibleDescription(HWND window, const char* description) {
    AccessibleText* text = TextOf(window);
    if (!text) return;
    wchar_t wanted[64] = L"";
    if (description && !MultiByteToWideChar(CP_ACP, 0, description, -1, wanted, sizeof wanted / sizeof wanted[0]))
        wanted[0] = L'\0';
    if (lstrcmpW(wanted, text->description) == 0) return;
    lstrcpyW(text->description, wanted);
    NotifyWinEvent(EVENT_OBJECT_DESCRIPTIONCHANGE, window, OBJID_CLIENT, CHILDID_SELF);
}

void AnnounceNewText(HWND box) {
    if (!box) return;
    NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, box, OBJID_CLIENT, CHILDID_SELF);
    // Systems before Windows 8 ignore an event they do not know.
    NotifyWinEvent(kEventLiveRegionChanged, box, OBJID_CLIENT, CHILDID_SELF);
}
