#include "app/Sounds.h"

#include <windows.h>

#include <mmsystem.h>

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
