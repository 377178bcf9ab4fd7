#include "app/Sounds.h"

#include <windows.h>

#include <mmsystem.h>

using namespace kontakta;

void PlayPressSound()
{
    ::PlaySoundW(L"Beep", ::GetModuleHandleW(nullptr), SND_RESOURCE | SND_ASYNC);
}

void ErrorBeep() { ::Beep(800, 100); }

void PlayPauseSound(bool paused)
{
    ::PlaySoundW(paused ? L"Pause" : L"Resume", ::GetModuleHandleW(nullptr), SND_RESOURCE | SND_ASYNC);
}
