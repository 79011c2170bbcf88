// The pointer shapes: Qt's standard cursors, and our own pictures for zooming and moving.

#include "tools/cursors.h"

#include <QPixmap>

#include <gtest/gtest.h>

namespace vw {
namespace {

TEST(Cursors, StandardShapesUseQtsCursorsAndOursArePicturesWithAHotSpotInside) {
    const std::pair<PointerShape, Qt::CursorShape> standard[] = {
        {PointerShape::Arrow, Qt::ArrowCursor},
        {PointerShape::Crosshair, Qt::CrossCursor},
        {PointerShape::ResizeDiagonalNwSe, Qt::SizeFDiagCursor},
        {PointerShape::ResizeDiagonalNeSw, Qt::SizeBDiagCursor},
        {PointerShape::ResizeVertical, Qt::SizeVerCursor},
        {PointerShape::ResizeHorizontal, Qt::SizeHorCursor},
        {PointerShape::FourWayMove, Qt::SizeAllCursor},
        {PointerShape::OpenHand, Qt::OpenHandCursor},
        {PointerShape::ClosedHand, Qt::ClosedHandCursor},
    };
    for (auto [shape, qtShape] : standard)
        EXPECT_EQ(cursorFor(shape).shape(), qtShape);

    QImage pictures[3];
    int index = 0;
    for (PointerShape shape : {PointerShape::ZoomIn, PointerShape::ZoomOut, PointerShape::Move}) {
        const QCursor cursor = cursorFor(shape);
        EXPECT_EQ(cursor.shape(), Qt::BitmapCursor);
        const QPixmap picture = cursor.pixmap();
        ASSERT_FALSE(picture.isNull());
        EXPECT_TRUE(picture.rect().contains(cursor.hotSpot()));
        pictures[index++] = picture.toImage();
    }
    EXPECT_NE(pictures[0], pictures[1]);
    EXPECT_NE(pictures[0], pictures[2]);
}

} // namespace
} // namespace vw
