#include "view/CNavigation.h"

#include <algorithm>
#include <cmath>

#include "view/COGLCamera3D.h"

// Stored values come from a file anyone may edit: a delay of 0 would flood
// the window with ticks, a negative sensitivity would turn the controls round.
CNavigation::CNavigation(float storedSensitivity, int storedTimerDelay)
    : sensitivity(0.0f), timerDelay(std::clamp(storedTimerDelay, MIN_TIMER_DELAY, MAX_TIMER_DELAY)) {
    SetSensitivity(std::clamp(storedSensitivity, MIN_SENSITIVITY, MAX_SENSITIVITY));
}

bool CNavigation::SetSize(int cx, int cy) {
    if (cx < 1 || cy < 1) {
        return false;
    }
    centreX = cx / 2;
    centreY = cy / 2;
    leftLimit = cx / 8;
    rightLimit = cx - cx / 8;
    topLimit = cy / 8;
    bottomLimit = cy - cy / 8;
    return true;
}

CNavigation::Response CNavigation::BeginDrag() {
    Response response;
    dragging = true;
    response.MoveCursor(centreX, centreY);
    lastX = centreX;
    lastY = centreY;
    return response;
}

CNavigation::Response CNavigation::EndDrag() {
    Response response;
    response.MoveCursor(centreX, centreY);
    if (dragging) {
        dragging = false;
        response.repaint = true;
    }
    return response;
}

CNavigation::Response CNavigation::MouseMove(int x, int y, int buttons, COGLCamera3D& camera, bool isOrtho,
                                             bool cursorFree) {
    Response response;
    if (!dragging || (buttons & (LEFT_BUTTON | RIGHT_BUTTON)) == 0) {
        if (!cursorFree && (x > centreX || y > centreY)) {
            response.MoveCursor(leftLimit, topLimit);
        }
        return response;
    }
    float dx = static_cast<float>(x - lastX);
    float dy = static_cast<float>(y - lastY);
    ClampStep(dx, dy);
    lastX = x;
    lastY = y;
    WrapCursor(x, y, response);
    MoveCamera(dx, dy, buttons, camera, isOrtho);
    response.repaint = true;
    return response;
}

CNavigation::Response CNavigation::Wheel(int notches, COGLCamera3D& camera) const {
    Response response;
    camera.Zoom(-static_cast<float>(notches) * maxStep * zoomSpeed);
    response.repaint = notches != 0;
    return response;
}

void CNavigation::ClampStep(float& dx, float& dy) const {
    const float adx = std::fabs(dx);
    const float ady = std::fabs(dy);
    if (adx > ady) {
        dy = 0.0f;
    } else if (adx < ady) {
        dx = 0.0f;
    }
    dx = std::clamp(dx, -maxStep, maxStep);
    dy = std::clamp(dy, -maxStep, maxStep);
}

void CNavigation::WrapCursor(int x, int y, Response& response) {
    if (x > rightLimit) {
        response.MoveCursor(leftLimit, y);
        lastX = leftLimit;
    } else if (x < leftLimit) {
        response.MoveCursor(rightLimit, y);
        lastX = rightLimit;
    }
    if (y > bottomLimit) {
        response.MoveCursor(x, topLimit);
        lastY = topLimit;
    } else if (y < topLimit) {
        response.MoveCursor(x, bottomLimit);
        lastY = bottomLimit;
    }
}

void CNavigation::MoveCamera(float dx, float dy, int buttons, COGLCamera3D& camera, bool isOrtho) const {
    const bool left = (buttons & LEFT_BUTTON) != 0;
    const bool right = (buttons & RIGHT_BUTTON) != 0;
    if (mode == PAN && !isOrtho) {
        if (right) {
            if (modeFlags[PAN_UP]) camera.MoveUp(-dy * panSpeed);
        } else if (left) {
            if (modeFlags[PAN_FORWARD]) camera.MoveForward(dy * panSpeed);
            if (modeFlags[PAN_RIGHT]) camera.MoveRight(dx * panSpeed);
        }
    } else if (mode == PAN) {
        if (left) {
            if (modeFlags[PAN_UP]) camera.MoveUp(-dy * panSpeed);
            if (modeFlags[PAN_RIGHT]) camera.MoveRight(dx * panSpeed);
        }
    } else if (mode == ORBIT) {
        if (right) {
            if (modeFlags[ORBIT_Z]) camera.OrbitZ(-dx * orbitSpeed);
        } else if (left) {
            if (modeFlags[ORBIT_X]) camera.OrbitX(-dy * orbitSpeed);
            if (modeFlags[ORBIT_Y]) camera.OrbitY(-dx * orbitSpeed);
        }
    } else if (mode == ZOOM) {
        camera.Zoom(-dx * zoomSpeed);
    }
}

void CNavigation::SetSensitivity(float value) {
    sensitivity = value;
    maxStep = 10.0f * sensitivity;
    panSpeed = 0.008f * sensitivity;
    orbitSpeed = 0.2f * sensitivity;
    zoomSpeed = 0.008f * sensitivity;
}

void CNavigation::RaiseSensitivity() {
    SetSensitivity(std::min(sensitivity + 0.5f, MAX_SENSITIVITY));
}

void CNavigation::LowerSensitivity() {
    SetSensitivity(std::max(sensitivity - 0.5f, MIN_SENSITIVITY));
}

void CNavigation::ShortenTimerDelay() {
    timerDelay = std::max(timerDelay - 5, MIN_TIMER_DELAY);
}

void CNavigation::LengthenTimerDelay() {
    timerDelay = std::min(timerDelay + 5, MAX_TIMER_DELAY);
}
