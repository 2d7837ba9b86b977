#pragma once
// The 400 x 100 warning picture shown on the tachometer graph when the engine
// is too hot: "Engine Is Too Hot!!!" in large bold pure red on white.

#include <QPixmap>

namespace corvane::charts {

inline constexpr int kHotEngineWidth = 400;
inline constexpr int kHotEngineHeight = 100;

QPixmap DrawHotEnginePicture();

}  // namespace corvane::charts
