#include "math/CShadowMatrix.h"

CShadowMatrix::CShadowMatrix(const float light[4], const float plane[4]) : CMatrix(false) {
    double sum = 0.0;
    for (int i = 0; i < 4; i++) {
        sum += double(plane[i]) * light[i];
    }
    const float dot = static_cast<float>(sum);
    for (int column = 0; column < 4; column++) {
        for (int row = 0; row < 4; row++) {
            const double projected = -double(light[row]) * plane[column];
            s[4 * column + row] = static_cast<float>(row == column ? dot + projected : projected);
        }
    }
}
