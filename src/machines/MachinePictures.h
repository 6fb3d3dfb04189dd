#pragma once

#include <QString>

// The seven built-in machine pictures. A picture number is the text "1" to "7";
// any other text, the empty one included, means no picture.
namespace MachinePictures {
constexpr int Count = 7;

// 1 to 7, or 0 for no picture.
int pictureNumber(const QString &text);
// The compiled-in resource of a picture number, or an empty text for no picture.
QString resourcePath(const QString &text);
QString resourcePath(int number);
} // namespace MachinePictures
