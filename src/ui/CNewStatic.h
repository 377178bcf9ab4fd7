// A static text control with its own font, text colour and background: the
// "Aktionsgruppe" and "Aktion" columns of the sensor page. It answers the
// colour request that its dialog reflects back to it, and repaints at once
// when its colours change.
#pragma once

#include <cstdint>

#include "win/Control.h"
#include "win/Handle.h"

class CNewStatic : public win::Control {
public:
    // Stands for the system colour (button face behind, window text in front).
    static constexpr uint32_t defaultColour = 0xFFFFFFFF;

    // Once the control is subclassed: the system colours and a bold
    // "Verdana" font, 13 pixels high at 96 dpi and scaled with the system's
    // dpi. Returns true.
    bool InitStyle();
    // New colours, `defaultColour` for the system's, or a system colour by
    // its index (kontakta::SystemColour of ui/Appearance.h); the control is
    // redrawn at once, not at the next paint cycle.
    void SetColors(uint32_t background, uint32_t text);
    // The system colours changed (WM_SYSCOLORCHANGE, a high-contrast theme
    // switched on or off): the colours are read again.
    void SystemColoursChanged();

    COLORREF TextColor() const { return textColor; }
    COLORREF BackColor() const { return backColor; }

protected:
    LRESULT OnReflected(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    void OnNcDestroy() override;

private:
    win::Brush backBrush;
    win::Font textFont;
    COLORREF textColor = 0;
    COLORREF backColor = 0;
    COLORREF defaultBackColor = 0;
    COLORREF defaultTextColor = 0;
    uint32_t requestedBack = defaultColour;
    uint32_t requestedText = defaultColour;
};
