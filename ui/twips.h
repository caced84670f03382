#pragma once

#include <QRect>
#include <QSize>

// Window positions are kept in twips, as the console was laid out: 15 twips are one pixel at
// 96 dots per inch.
namespace twips {

constexpr int px(int twips)
{
    return (twips + 7) / 15;
}
inline QRect rect(int left, int top, int width, int height)
{
    return QRect(px(left), px(top), px(width), px(height));
}
inline QSize size(int width, int height)
{
    return QSize(px(width), px(height));
}

} // namespace twips
