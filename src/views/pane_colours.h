#pragma once
// The colours the pane draws. Marks and handles are read back under the pointer to tell what a
// press landed on, so they are drawn exactly, never blended.

#include <QColor>

#include <array>

namespace vw {

// Ground and pen of each canvas: the background's edges are black on grey, the working data's
// edges white, so the part being edited stands out.
constexpr QRgb kBackGround = qRgb(64, 64, 64);
constexpr QRgb kBackPen = qRgb(0, 0, 0);
constexpr QRgb kBuffGround = qRgb(64, 64, 64);
constexpr QRgb kBuffPen = qRgb(255, 255, 255);
constexpr QRgb kMainGround = qRgb(64, 64, 64);
constexpr QRgb kMainPen = qRgb(230, 230, 230);

// The grid, under everything else and in no colour a press reads back; its axes stronger.
constexpr QRgb kGridLine = qRgb(84, 84, 84);
constexpr QRgb kGridAxis = qRgb(120, 120, 120);

constexpr QRgb kMarkFill = qRgb(240, 240, 240);   // unselected vertex
constexpr QRgb kMarkOutline = qRgb(240, 0, 0);    // unselected vertex
constexpr QRgb kMarkSelected = qRgb(250, 0, 0);   // selected vertex: not a pick colour
constexpr QRgb kRubberBand = qRgb(180, 180, 180); // Select and Zoom drags
constexpr QRgb kImageMapFrame = qRgb(0, 255, 0);  // the unit texture square
constexpr QRgb kScaleBox = qRgb(0, 0, 255);
constexpr QRgb kRotateCircle = qRgb(0, 255, 0);
constexpr QRgb kRotateHandle = qRgb(0, 250, 0);
constexpr QRgb kSoftCircle = qRgb(255, 160, 0); // the soft selection's radius: not a pick colour

// Scale handles by position: blue 245, 246, 247 along the top, 248 and 249 at mid-height,
// 250, 251, 252 along the bottom.
constexpr QRgb kHandleLeftTop = qRgb(0, 0, 245);
constexpr QRgb kHandleTop = qRgb(0, 0, 246);
constexpr QRgb kHandleRightTop = qRgb(0, 0, 247);
constexpr QRgb kHandleLeft = qRgb(0, 0, 248);
constexpr QRgb kHandleRight = qRgb(0, 0, 249);
constexpr QRgb kHandleLeftBottom = qRgb(0, 0, 250);
constexpr QRgb kHandleBottom = qRgb(0, 0, 251);
constexpr QRgb kHandleRightBottom = qRgb(0, 0, 252);

// A scale handle: its colour and the edges of the box it sits on (and moves). A handle on
// neither the left nor the right edge sits mid-width; on neither top nor bottom, mid-height.
struct ScaleHandleColour {
    QRgb colour;
    bool left, top, right, bottom;
};

// In drawing order: where the handles of a small box overlap, the later one shows and is the
// one a press grabs.
constexpr std::array<ScaleHandleColour, 8> kScaleHandles{{
    {kHandleLeftTop, true, true, false, false},
    {kHandleRightTop, false, true, true, false},
    {kHandleLeftBottom, true, false, false, true},
    {kHandleRightBottom, false, false, true, true},
    {kHandleTop, false, true, false, false},
    {kHandleBottom, false, false, false, true},
    {kHandleLeft, true, false, false, false},
    {kHandleRight, false, false, true, false},
}};

// Read-back compares colour only: the canvas may hold any alpha.
constexpr bool isSameColour(QRgb read, QRgb drawn) {
    return (read & RGB_MASK) == (drawn & RGB_MASK);
}

// A press on an unselected vertex mark picks it; a selected mark is not a pick colour.
constexpr bool isUnselectedMark(QRgb read) {
    return isSameColour(read, kMarkFill) || isSameColour(read, kMarkOutline);
}

constexpr bool isRotateHandle(QRgb read) {
    return isSameColour(read, kRotateHandle);
}

// The scale handle drawn in this colour; none for any other colour.
constexpr const ScaleHandleColour* scaleHandleAt(QRgb read) {
    for (const ScaleHandleColour& handle : kScaleHandles)
        if (isSameColour(read, handle.colour))
            return &handle;
    return nullptr;
}

} // namespace vw
