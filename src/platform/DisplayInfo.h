#pragma once

// Colour depth of the desktop. (Not called Display: X11 owns that name in Qt's headers.)
class DisplayInfo {
public:
    virtual ~DisplayInfo() = default;
    // Width, height and bits per pixel of the primary screen.
    virtual void GetScreenInfo(long& width, long& height, long& bitsPerPixel) = 0;
};

class ScreenDisplay : public DisplayInfo {
public:
    void GetScreenInfo(long& width, long& height, long& bitsPerPixel) override;
};
