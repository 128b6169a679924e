#pragma once

// The unit normals that MD2 and SiN vertices name by index.
constexpr int MD2_NORMAL_COUNT = 162;
extern const float md2Normals[MD2_NORMAL_COUNT][3];
