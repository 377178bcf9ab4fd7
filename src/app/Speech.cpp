#include "app/Speech.h"

#include <windows.h>

#include <sapi.h>

#include "win/Text.h"

namespace {
// The voice's class, as Windows registers it ({96749377-3391-11D2-9EE3-00C04F797396}).
const CLSID voiceClass = {0x96749377, 0x3391, 0x11d2, {0x9e, 0xe3, 0x00, 0xc0, 0x4f, 0x79, 0x73, 0x96}};
}  // namespace

Speech::~Speech()
{
    Close();
}

void Speech::Say(const std::u16string& text)
{
    if (!tried) {
        tried = true;
        // A single-threaded apartment on the thread that pumps messages; a
        // thread already in one (S_FALSE) is as good.
        const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
        comInitialised = SUCCEEDED(com);
        if (comInitialised || com == RPC_E_CHANGED_MODE) {
            void* made = nullptr;
            if (SUCCEEDED(::CoCreateInstance(voiceClass, nullptr, CLSCTX_ALL, __uuidof(ISpVoice), &made)))
                voice = static_cast<ISpVoice*>(made);
        }
    }
    if (!voice || text.empty()) return;
    const std::wstring wide = win::Wide(text);
    // SPF_ASYNC: returns at once; SPF_PURGEBEFORESPEAK: a name still being
    // said gives way to the next one; SPF_IS_NOT_XML: a name is only text.
    voice->Speak(wide.c_str(), SPF_ASYNC | SPF_PURGEBEFORESPEAK | SPF_IS_NOT_XML, nullptr);
}

void Speech::Close()
{
    if (voice) {
        voice->Release();
        voice = nullptr;
    }
    if (comInitialised) ::CoUninitialize();
    comInitialised = false;
}
