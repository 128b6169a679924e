#include "math/CMatrix.h"

#include <cmath>
#include <cstring>
#include <utility>

#include "math/CVector.h"

CMatrix::CMatrix(bool identity) {
    if (identity) {
        LoadIdentity();
    } else {
        std::memset(m, 0, sizeof m);
    }
}

void CMatrix::LoadIdentity() {
    for (int i = 0; i < 16; i++) {
        m[i] = (i % 5 == 0) ? 1.0 : 0.0;
    }
}

void CMatrix::TransformPoint(const CVector& in, CVector& out) const {
    const double x = in.x, y = in.y, z = in.z;
    out.x = static_cast<float>(m[0] * x + m[4] * y + m[8] * z + m[12]);
    out.y = static_cast<float>(m[1] * x + m[5] * y + m[9] * z + m[13]);
    out.z = static_cast<float>(m[2] * x + m[6] * y + m[10] * z + m[14]);
}

void CMatrix::TransformVector(const CVector& in, CVector& out) const {
    const double x = in.x, y = in.y, z = in.z;
    out.x = static_cast<float>(m[0] * x + m[4] * y + m[8] * z);
    out.y = static_cast<float>(m[1] * x + m[5] * y + m[9] * z);
    out.z = static_cast<float>(m[2] * x + m[6] * y + m[10] * z);
}

// Gauss-Jordan over the stored array taken as four rows of four; inverting the
// stored array this way gives the stored array of the inverse.
bool CMatrix::Invert() {
    double a[4][4];
    double b[4][4];
    for (int r = 0; r < 4; r++) {
        for (int c = 0; c < 4; c++) {
            a[r][c] = m[4 * r + c];
            b[r][c] = (r == c) ? 1.0 : 0.0;
        }
    }
    for (int i = 0; i < 4; i++) {
        // Every candidate is compared with the diagonal entry, not with the
        // best row so far, so the last row larger than the diagonal wins.
        int pivot = i;
        for (int j = i + 1; j < 4; j++) {
            if (std::fabs(a[j][i]) > std::fabs(a[i][i])) {
                pivot = j;
            }
        }
        if (pivot != i) {
            std::swap(a[i], a[pivot]);
            std::swap(b[i], b[pivot]);
        }
        if (a[i][i] == 0.0) {
            return false;
        }
        const double divisor = a[i][i];
        for (int c = 0; c < 4; c++) {
            a[i][c] /= divisor;
            b[i][c] /= divisor;
        }
        for (int k = 0; k < 4; k++) {
            if (k == i) {
                continue;
            }
            const double factor = a[k][i];
            for (int c = 0; c < 4; c++) {
                a[k][c] -= factor * a[i][c];
                b[k][c] -= factor * b[i][c];
            }
        }
    }
    for (int r = 0; r < 4; r++) {
        for (int c = 0; c < 4; c++) {
            m[4 * r + c] = b[r][c];
        }
    }
    return true;
}
