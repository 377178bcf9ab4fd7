#include "win/Accessible.h"

#include <commctrl.h>
#include <oleacc.h>

#include <atomic>

#include "win/Dialog.h"

namespace win {

namespace {

// The interfaces by __uuidof: oleacc.dll exports IID_IAccessible as data,
// and its import library without dllimport would hand out the address of a
// thunk instead of the identifier.

// A subclass id of its own: a control may be subclassed by a win::Control too.
constexpr UINT_PTR accessibleSubclassId = 0x4B6F6E41;  // "KonA"
// The texts are found through this window property (GetWindowSubclass is
// exported by comctl32 under an ordinal only).
constexpr const wchar_t* accessibleProperty = L"Kontakta.Accessible";

struct Annotation {
    std::wstring name, description, value;
    bool hasName = false, hasDescription = false, hasValue = false;
    long role = 0;
};

Annotation* AnnotationOf(HWND window)
{
    return window ? static_cast<Annotation*>(::GetPropW(window, accessibleProperty)) : nullptr;
}

bool IsSelf(const VARIANT& child)
{
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

HRESULT Give(const std::wstring& text, BSTR* out)
{
    if (!out) return E_POINTER;
    *out = ::SysAllocStringLen(text.data(), UINT(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

// The window's standard client object, with what was set for the window
// itself. The texts are looked up at every call, not copied: a screen
// reader that holds the object hears a lamp's new state, and an object that
// outlives its window falls back to the standard one, which then fails as
// for any window that is gone. Its calls come in on the window's thread
// (the object lives in that thread's apartment).
class AnnotatedAccessible final : public IAccessible {
public:
    AnnotatedAccessible(HWND window, IAccessible* standard) : window(window), standard(standard) { standard->AddRef(); }

    // IUnknown. The standard object's other interfaces (IEnumVARIANT for
    // the children, IOleWindow for the window) are handed on as they are.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (!out) return E_POINTER;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) || iid == __uuidof(IAccessible)) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        return standard->QueryInterface(iid, out);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = --references;
        if (left == 0) {
            standard->Release();
            delete this;
        }
        return left;
    }

    // IDispatch: the standard object's.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return standard->GetTypeInfoCount(count); }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override
    {
        return standard->GetTypeInfo(index, locale, info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override
    {
        return standard->GetIDsOfNames(iid, names, count, locale, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* parameters,
                                     VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override
    {
        return standard->Invoke(id, iid, locale, flags, parameters, result, exception, argumentError);
    }

    // IAccessible: what was set for the window itself, the rest standard.
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override
    {
        const Annotation* annotation = IsSelf(child) ? AnnotationOf(window) : nullptr;
        if (annotation && annotation->hasName) return Give(annotation->name, name);
        return standard->get_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override
    {
        const Annotation* annotation = IsSelf(child) ? AnnotationOf(window) : nullptr;
        if (annotation && annotation->hasValue) return Give(annotation->value, value);
        return standard->get_accValue(child, value);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override
    {
        const Annotation* annotation = IsSelf(child) ? AnnotationOf(window) : nullptr;
        if (annotation && annotation->hasDescription) return Give(annotation->description, description);
        return standard->get_accDescription(child, description);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override
    {
        const Annotation* annotation = IsSelf(child) ? AnnotationOf(window) : nullptr;
        if (annotation && annotation->role != 0 && role) {
            ::VariantInit(role);
            role->vt = VT_I4;
            role->lVal = annotation->role;
            return S_OK;
        }
        return standard->get_accRole(child, role);
    }
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override { return standard->get_accParent(parent); }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override { return standard->get_accChildCount(count); }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override
    {
        return standard->get_accChild(child, object);
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override
    {
        return standard->get_accState(child, state);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override
    {
        return standard->get_accHelp(child, help);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override
    {
        return standard->get_accHelpTopic(file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override
    {
        return standard->get_accKeyboardShortcut(child, shortcut);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override { return standard->get_accFocus(child); }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override
    {
        return standard->get_accSelection(children);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override
    {
        return standard->get_accDefaultAction(child, action);
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override
    {
        return standard->accSelect(flags, child);
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override
    {
        return standard->accLocation(left, top, width, height, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override
    {
        return standard->accNavigate(direction, start, end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override
    {
        return standard->accHitTest(x, y, child);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override { return standard->accDoDefaultAction(child); }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override
    {
        return standard->put_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override
    {
        return standard->put_accValue(child, value);
    }

private:
    ~AnnotatedAccessible() = default;

    std::atomic<ULONG> references{1};
    HWND window;
    IAccessible* standard;
};

LRESULT CALLBACK AccessibleProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data)
{
    try {
        // The object id comes as a DWORD in lParam (WM_GETOBJECT's rule).
        if (message == WM_GETOBJECT && LONG(DWORD(lParam)) == OBJID_CLIENT) {
            IAccessible* standard = nullptr;
            if (SUCCEEDED(::CreateStdAccessibleObject(window, OBJID_CLIENT, __uuidof(IAccessible),
                                                      reinterpret_cast<void**>(&standard)))) {
                AnnotatedAccessible* object = new AnnotatedAccessible(window, standard);
                standard->Release();
                const LRESULT result = ::LresultFromObject(__uuidof(IAccessible), wParam, object);
                object->Release();
                return result;
            }
        }
    } catch (...) {
        ReportException("AccessibleProc");
    }
    if (message == WM_NCDESTROY) {
        ::RemovePropW(window, accessibleProperty);
        ::RemoveWindowSubclass(window, AccessibleProc, accessibleSubclassId);
        delete reinterpret_cast<Annotation*>(data);
    }
    return ::DefSubclassProc(window, message, wParam, lParam);
}

// The window's texts, made at the first one set for it; nullptr if the
// window cannot carry them.
Annotation* AnnotationFor(HWND window)
{
    if (!window || !::IsWindow(window)) return nullptr;
    if (Annotation* annotation = AnnotationOf(window)) return annotation;
    Annotation* annotation = new Annotation;
    if (!::SetWindowSubclass(window, AccessibleProc, accessibleSubclassId, reinterpret_cast<DWORD_PTR>(annotation))) {
        delete annotation;
        return nullptr;
    }
    ::SetPropW(window, accessibleProperty, annotation);
    return annotation;
}

void SetText(HWND window, std::wstring Annotation::*text, bool Annotation::*has, const std::wstring& newText,
             DWORD changeEvent)
{
    Annotation* annotation = AnnotationFor(window);
    if (!annotation) return;
    if (annotation->*has && annotation->*text == newText) return;
    annotation->*text = newText;
    annotation->*has = true;
    ::NotifyWinEvent(changeEvent, window, OBJID_CLIENT, CHILDID_SELF);
}

}  // namespace

void SetAccessibleName(HWND window, const std::wstring& name)
{
    SetText(window, &Annotation::name, &Annotation::hasName, name, EVENT_OBJECT_NAMECHANGE);
}

void SetAccessibleDescription(HWND window, const std::wstring& description)
{
    SetText(window, &Annotation::description, &Annotation::hasDescription, description, EVENT_OBJECT_DESCRIPTIONCHANGE);
}

void SetAccessibleValue(HWND window, const std::wstring& value)
{
    SetText(window, &Annotation::value, &Annotation::hasValue, value, EVENT_OBJECT_VALUECHANGE);
}

void SetAccessibleRole(HWND window, long role)
{
    if (Annotation* annotation = AnnotationFor(window)) annotation->role = role;
}

void AnnounceAlert(HWND window)
{
    if (window) ::NotifyWinEvent(EVENT_SYSTEM_ALERT, window, OBJID_CLIENT, CHILDID_SELF);
}

bool HighContrastOn()
{
    HIGHCONTRASTW contrast{};
    contrast.cbSize = sizeof contrast;
    if (!::SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0)) return false;
    return (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

}  // namespace win
