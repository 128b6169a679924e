#pragma once

class COGLCamera3D;

// How the viewer window turns mouse drags into camera moves, and the limits
// of its mouse sensitivity and redraw-timer delay. Knows nothing of the
// window: it says where the cursor must go and whether to repaint, and the
// window does it. Cursor positions are window coordinates, which are screen
// coordinates too because the window sits at the screen origin.
class CNavigation {
public:
    enum Mode { MOVE, ROTATE, SCALE, PAN, ORBIT, ZOOM, SELECT, TEXTURE_MOVE, TEXTURE_SCALE, TEXTURE_ROTATE };
    enum Button { LEFT_BUTTON = 1, RIGHT_BUTTON = 2 };
    enum ModeFlag { PAN_RIGHT, PAN_UP, PAN_FORWARD, ORBIT_X, ORBIT_Y, ORBIT_Z, MODE_FLAG_COUNT };

    static constexpr int MIN_TIMER_DELAY = 10;
    static constexpr int MAX_TIMER_DELAY = 100;
    static constexpr float MIN_SENSITIVITY = 0.5f;
    static constexpr float MAX_SENSITIVITY = 10.0f;

    // What the window must do after a mouse event.
    struct Response {
        bool moveCursor = false;
        int  cursorX = 0;
        int  cursorY = 0;
        bool repaint = false;

        void MoveCursor(int x, int y) {
            moveCursor = true;
            cursorX = x;
            cursorY = y;
        }
    };

    // Both are brought within their limits.
    CNavigation(float storedSensitivity, int storedTimerDelay);

    // False, with nothing changed, for an empty size.
    bool SetSize(int cx, int cy);

    Response BeginDrag();
    Response EndDrag();
    // buttons: LEFT_BUTTON and RIGHT_BUTTON or'ed. cursorFree: the window
    // has the screen to itself (its display mode was changed) or is a
    // window on the desktop, so a cursor outside a drag is left where it is.
    Response MouseMove(int x, int y, int buttons, COGLCamera3D& camera, bool isOrtho, bool cursorFree);

    // The mouse wheel zooms as a Zoom drag does, one notch (away from the
    // user positive) as far as the largest mouse step, in any mode.
    Response Wheel(int notches, COGLCamera3D& camera) const;

    // Keeps the dominant axis of a mouse step and clamps it to maxStep; a
    // diagonal step keeps both components, each clamped.
    void ClampStep(float& dx, float& dy) const;

    void SetSensitivity(float value);
    void RaiseSensitivity();
    void LowerSensitivity();
    float GetSensitivity() const { return sensitivity; }
    // Page Up shortens the delay, Page Down lengthens it.
    void ShortenTimerDelay();
    void LengthenTimerDelay();
    int  GetTimerDelay() const { return timerDelay; }

    int   mode = ORBIT;
    int   modeFlags[MODE_FLAG_COUNT] = { 1, 1, 1, 1, 1, 1 };
    bool  dragging = false;
    int   lastX = 0;
    int   lastY = 0;
    int   centreX = 0;
    int   centreY = 0;
    int   leftLimit = 0;
    int   rightLimit = 0;
    int   topLimit = 0;
    int   bottomLimit = 0;
    float maxStep = 0.0f;
    float panSpeed = 0.0f;
    float orbitSpeed = 0.0f;
    float zoomSpeed = 0.0f;

private:
    void WrapCursor(int x, int y, Response& response);
    void MoveCamera(float dx, float dy, int buttons, COGLCamera3D& camera, bool isOrtho) const;

    float sensitivity;
    int   timerDelay;
};
