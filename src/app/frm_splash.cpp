#include "app/frm_splash.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>
#include <QScreen>

#include <array>

frmSplash::frmSplash(QWidget* parent)
    : QDialog(parent), imgSplash(new QLabel(this)), tmrX(new QTimer(this)) {
    setWindowTitle(QString());
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setModal(true);
    setFixedSize(pictureWidth, pictureHeight);
    imgSplash->setGeometry(0, 0, pictureWidth, pictureHeight);
    imgSplash->setPixmap(QPixmap::fromImage(vw::splashPicture()));
    tmrX->setSingleShot(true);
    tmrX->setTimerType(Qt::PreciseTimer); // a coarse timer may fire 5% early
    tmrX->setInterval(closeAfterMs);
    connect(tmrX, &QTimer::timeout, this, &frmSplash::tmrX_Timer);
}

void frmSplash::Form_KeyPress(uint16_t keyAscii) {
    if (keyAscii == 76)
        close();
}

void frmSplash::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (const QScreen* shown = screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(shown->availableGeometry().center());
        move(frame.topLeft());
    }
    tmrX->start();
}

void frmSplash::keyPressEvent(QKeyEvent* event) {
    // Every key goes to Form_KeyPress alone; Escape must not close the window either.
    const QString text = event->text();
    if (!text.isEmpty())
        Form_KeyPress(text.at(0).unicode());
}

void frmSplash::tmrX_Timer() {
    close();
}

namespace vw {

namespace {

// The wireframe's own extent, before it is placed.
constexpr QRectF kWireframeBox(0, -48, 112, 94);

void drawWireframe(QPainter& painter, double penWidth) {
    // A small bent strip of triangles with its vertex marks, as the editor draws them.
    std::array<QPointF, 10> points;
    for (int i = 0; i < 10; ++i) {
        const double x = (i / 2) * 28.0;
        const double y = (i % 2) * 46.0 - (i / 2) * (i / 2) * 3.0;
        points[i] = QPointF(x, y);
    }
    painter.setPen(QPen(QColor(120, 200, 255), penWidth));
    for (int i = 0; i + 2 < 10; ++i) {
        painter.drawLine(points[i], points[i + 1]);
        painter.drawLine(points[i], points[i + 2]);
    }
    painter.drawLine(points[8], points[9]);
    painter.setPen(QPen(QColor(240, 0, 0), penWidth));
    for (int i = 0; i < 10; ++i) {
        const QRectF mark(points[i].x() - 2, points[i].y() - 2, 4, 4);
        if (i == 5 || i == 6) {
            painter.fillRect(mark, QColor(250, 0, 0));
        } else {
            painter.fillRect(mark, QColor(240, 240, 240));
            painter.drawRect(mark);
        }
    }
}

} // namespace

QImage splashPicture() {
    QImage picture(frmSplash::pictureWidth, frmSplash::pictureHeight, QImage::Format_RGB32);
    QPainter painter(&picture);
    QLinearGradient ground(0, 0, 0, picture.height());
    ground.setColorAt(0, QColor(28, 40, 66));
    ground.setColorAt(1, QColor(8, 12, 22));
    painter.fillRect(picture.rect(), ground);
    painter.save();
    painter.translate(196, 70);
    drawWireframe(painter, 1);
    painter.restore();

    painter.setPen(Qt::white);
    QFont title = painter.font();
    title.setPixelSize(34);
    title.setBold(true);
    painter.setFont(title);
    painter.drawText(QRect(20, 112, 300, 44), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Vertwright"));

    QFont small = painter.font();
    small.setPixelSize(13);
    small.setBold(false);
    painter.setFont(small);
    painter.setPen(QColor(200, 210, 230));
    painter.drawText(QRect(22, 154, 280, 20), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("EBO model vertex editor"));
    painter.setPen(QColor(120, 200, 255));
    painter.drawText(QRect(22, 176, 120, 20), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("V0.2"));
    painter.setPen(QColor(140, 150, 170));
    painter.drawText(QRect(150, 176, 160, 20), Qt::AlignRight | Qt::AlignVCenter,
                     QStringLiteral("Press L to continue"));
    return picture;
}

QIcon programIcon() {
    QImage icon(32, 32, QImage::Format_ARGB32);
    icon.fill(QColor(28, 40, 66));
    QPainter painter(&icon);
    const double scale = 28 / kWireframeBox.width();
    painter.translate(2, 16 - kWireframeBox.center().y() * scale);
    painter.scale(scale, scale);
    drawWireframe(painter, 1 / scale);
    painter.end();
    return QIcon(QPixmap::fromImage(icon));
}

} // namespace vw
