#pragma once

#include <FL/Fl_Slider.H>

// A horizontal slider with a tick mark above every tickSpacing positions,
// the way the gamma slider has always looked.
class CTickSlider : public Fl_Slider {
public:
    CTickSlider(int x, int y, int w, int h, int tickSpacing);

protected:
    void draw() override;

private:
    int tickSpacing;
};
