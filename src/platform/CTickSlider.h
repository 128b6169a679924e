#pragma once

#include <FL/Fl_Slider.H>

// A horizontal slider with a tick mark above every tickSpacing positions,
// the way the gamma slider has always looked. The tick row and the knob
// keep their proportions to the slider's height, whatever the dialog's scale.
class CTickSlider : public Fl_Slider {
public:
    CTickSlider(int x, int y, int w, int h, int tickSpacing);

    void resize(int x, int y, int w, int h) override;

protected:
    void draw() override;

private:
    int TickRowHeight() const;
    int KnobWidth() const;

    int tickSpacing;
};
