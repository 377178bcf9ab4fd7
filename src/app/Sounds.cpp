#include "app/Sounds.h"

#include <windows.h>

#include <mmsystem.h>

#include <string>

using namespace kontakta;

void PlayPressSound()
{
    ::PlaySoundW(L"Beep", ::GetModuleHandleW(nullptr), SND_RESOURCE | SND_ASYNC);
}

void ErrorBeep()
{
    ::Beep(800, 100);
}

void PlayPauseSound(bool paused)
{
    ::PlaySoundW(paused ? L"Pause" : L"Resume", ::GetModuleHandleW(nullptr), SND_RESOURCE | SND_ASYNC);
}
// SND_ASYNC: the call returns at once; a sound that still plays is ended by
// the next one, so a latch's sound replaces the press sound it follows.
void PlayLatchSound()
{
    ::PlaySoundW(L"Latch", ::GetModuleHandleW(nullptr), SND_RESOURCE | SND_ASYNC);
}

void PlayUnlatchSound()
{
    ::PlaySoundW(L"Unlatch", ::GetModuleHandleW(nullptr), SND_RESOURCE | SND_ASYNC);
}

void PlayProfileSound(size_t number)
{
    if (number < 1 || number > 8) return;
    const std::wstring name = L"Profile" + std::to_wstring(number);
    ::PlaySoundW(name.c_str(), ::GetModuleHandleW(nullptr), SND_RESOURCE | SND_ASYNC);
}

unsigned ProfileSoundMilliseconds(size_t number)
{
    // As scripts/make-artwork makes them: 60 ms tones, 110 ms apart.
    return number ? unsigned(60 * number + 110 * (number - 1)) : 0;
}
